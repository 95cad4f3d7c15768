; The Windows installer of Quilvar: per machine, under Program Files (64-bit), in Chinese.
; tools/windows.sh runs makensis with -INPUTCHARSET UTF8 and defines VERSION (2.0), PACKAGE (the
; folder the zip is made of), ICON and OUTFILE.
;   quilvar-setup.exe /S [/D=C:\其它\文件夹]   silent install, for an agency's IT
;   uninstall.exe /S [/REMOVESETTINGS]         silent removal; the settings stay unless asked
; A 64-bit installer, like the programs: a 32-bit Windows refuses it itself.
Target amd64-unicode
ManifestSupportedOS Win10
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"
!include "WinVer.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Quilvar 旅游报价计算器"
!define PUBLISHER "Orvane软件"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quilvar"
!define APP_PATHS "Software\Microsoft\Windows\CurrentVersion\App Paths"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quilvar"
; An upgrade goes where the installed version is (IT may have chosen another folder with /D=),
; not beside it into a second copy.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Orvane旅游软件系列 免费软件"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The installer runs as an administrator: a calculator started straight from it would run elevated
; too (mapped drives hidden, drag and drop refused). Explorer starts it as the signed-in user.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsUser
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\使用说明.txt"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Qt 6.4 runs on 64-bit Windows 10 1809 (build 17763) and later only.
Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP|MB_OK "${PRODUCT} 只能安装在 64 位 Windows 上。" /SD IDOK
        Abort
    ${EndIf}
    ${WinVerGetBuild} $0
    ${If} ${AtMostWin8.1}
    ${OrIf} $0 < 17763
        MessageBox MB_ICONSTOP|MB_OK "${PRODUCT} 需要 Windows 10 1809 或更新的版本。" /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function StartAsUser
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\quilvar.exe"'
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Quilvar"
    SetOutPath "$INSTDIR"
    ; The settings live in the shared folder, never in the program folder, which only
    ; administrators may write.
    File /r /x default.ini "${PACKAGE}/*"

    ; %ProgramData%\Quilvar: the settings every user of the PC shares, writable by them (the
    ; built-in Users group, named by its language-independent SID). An upgrade keeps the file.
    CreateDirectory "$APPDATA\Quilvar"
    nsExec::Exec '"$SYSDIR\icacls.exe" "$APPDATA\Quilvar" /grant *S-1-5-32-545:(OI)(CI)M'
    Pop $0
    SetOverwrite off
    File "/oname=$APPDATA\Quilvar\default.ini" "${PACKAGE}/default.ini"
    SetOverwrite on

    CreateDirectory "$SMPROGRAMS\Quilvar"
    CreateShortcut "$SMPROGRAMS\Quilvar\${PRODUCT}.lnk" "$INSTDIR\quilvar.exe"
    CreateShortcut "$SMPROGRAMS\Quilvar\使用说明.lnk" "$INSTDIR\使用说明.txt"
    CreateShortcut "$SMPROGRAMS\Quilvar\卸载 Quilvar.lnk" "$INSTDIR\uninstall.exe"

    ; A host starts the programs by name.
    WriteRegStr HKLM "${APP_PATHS}\quilvar.exe" "" "$INSTDIR\quilvar.exe"
    WriteRegStr HKLM "${APP_PATHS}\quilvar.exe" "Path" "$INSTDIR"
    WriteRegStr HKLM "${APP_PATHS}\quilvar-batch.exe" "" "$INSTDIR\quilvar-batch.exe"
    WriteRegStr HKLM "${APP_PATHS}\quilvar-batch.exe" "Path" "$INSTDIR"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quilvar.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "https://www.orvane.example/"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    RMDir /r "$SMPROGRAMS\Quilvar"
    DeleteRegKey HKLM "${APP_PATHS}\quilvar.exe"
    DeleteRegKey HKLM "${APP_PATHS}\quilvar-batch.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; What was installed, by name (the list is written from the package): a folder chosen with /D=
    ; may hold other programs' files (or be a drive's root), which stay.
    !include "${INSTALLED_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ; The agency's settings (the connection, the letterhead and its logo, the quote number) stay for
    ; a later install unless asked otherwise.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        RMDir /r "$APPDATA\Quilvar"
    ${ElseIfNot} ${Silent}
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "是否同时删除本机的设置（数据库连接、报价单抬头和编号，在 $APPDATA\Quilvar 文件夹中）？$\r$\n保留它们，以后重新安装时不必再次设置。" IDNO keep
        RMDir /r "$APPDATA\Quilvar"
        keep:
    ${EndIf}
SectionEnd
