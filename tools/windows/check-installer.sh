#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own made afresh: its refusal on Windows 7, a
# silent install, what it registers (App Paths, the entry in 应用和功能, the Start menu), the
# programs started by name as a host starts them, the settings read from and saved into the shared
# folder by the installed program, an upgrade and a silent uninstall that keep them, and an install
# into a folder of IT's choosing that an upgrade follows and whose uninstall removes the settings
# when asked. What only a real Windows shows (the Users group's write access to the settings
# folder and a non-administrator saving there, a 32-bit Windows refusing a 64-bit program,
# SmartScreen) is not checked here. Run by tools/windows/test.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build/win64}" && pwd)
setup=$build/quilvar-setup.exe
[ -f "$setup" ] || { echo "no $setup"; exit 1; }
# Nothing of the test run's settings: its library folders on the path would hide a DLL the
# installer left out.
unset WINEPATH WINEQT_QPA_FONTDIR QT_QPA_FONTDIR
export WINEPREFIX=$build/wineprefix-install WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEQT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
wine=/usr/lib/wine/wine64
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
"$wine" wineboot --init >/dev/null 2>&1
# The prefix is whole only when wineboot's processes have ended: a winecfg started earlier fails.
/usr/lib/wine/wineserver -w
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
drive_c=$WINEPREFIX/drive_c
# The Chinese font of a Windows machine's font folder, for the customer PDF.
cp /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$drive_c/windows/Fonts/"

version=$(sed -n 's/^project(Quilvar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
failures=0
check() { if "$@"; then echo "  ok: ${*: -1}"; else echo "  FAILED: $1 … ${*: -1}"; failures=$((failures + 1)); fi; }
quiet() { "$@" >/dev/null 2>&1; }
has() { grep -qiF -- "$2" <<<"$1"; }
lacks() { ! grep -qiF -- "$2" <<<"$1"; }
# A key's values as reg export writes them (UTF-16, which reg query's output to a pipe is not),
# empty when the key is not there.
reg_query() {
    rm -f "$drive_c/key.reg"
    "$wine" reg export "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\$1" 'C:\key.reg' /y >/dev/null 2>&1 || true
    [ ! -f "$drive_c/key.reg" ] || iconv -f UTF-16 -t UTF-8 "$drive_c/key.reg" | tr -d '\r' | sed 's/\\\\/\\/g'
}
# The installer's command line as IT types it: /D= last and unquoted, blanks and all, which only
# cmd passes on as written (Wine would quote an argument holding a blank).
setup_windows=$(printf 'Z:%s' "${setup//\//\\}")
run_setup() { local status=0; "$wine" cmd /c "$setup_windows /S $*" >/dev/null 2>&1 || status=$?; echo "$status"; }
# The uninstaller runs on from a copy of itself and returns at once: waited for by what it removes.
uninstall() {
    "$wine" "$1\\uninstall.exe" /S "${@:2}" >/dev/null 2>&1 || true
    local folder=$drive_c/${1#C:\\}
    folder=${folder//\\//}
    for _ in $(seq 1 60); do [ -e "$folder/uninstall.exe" ] || break; sleep 0.5; done
    # the key and folder removals that follow the files': done when the prefix's processes have ended
    timeout 60 /usr/lib/wine/wineserver -w || echo "  warning: Wine's processes still running after 60 s" >&2
}
gbk() { iconv -f GBK -t UTF-8 "$1" 2>/dev/null || true; }
shared_ini=$drive_c/ProgramData/Quilvar/default.ini
program_files=$drive_c/Program\ Files/Quilvar

echo "== refused on a Windows older than 10 1809 (this Wine says 7 until told otherwise)"
windows_version() { check quiet "$wine" winecfg -v "$1"; }
windows_version win7
check test "$(run_setup)" -eq 2 # NSIS: stopped by the installer itself
check test ! -e "$program_files"
check test -z "$(reg_query 'Uninstall\Quilvar')"

echo "== silent install"
windows_version win10
check test "$(run_setup)" -eq 0
check test -f "$program_files/quilvar.exe"
check test -f "$program_files/quilvar-batch-documents.exe"
check test -f "$program_files/platforms/qwindows.dll"
check test -f "$program_files/uninstall.exe"
check test ! -e "$program_files/default.ini"
check test -f "$shared_ini"
check test -f "$program_files/第三方软件许可/Qt.txt"
for exe in quilvar.exe quilvar-batch.exe; do
    app_path=$(reg_query "App Paths\\$exe")
    check has "$app_path" "@=\"C:\\Program Files\\Quilvar\\$exe\""
    check has "$app_path" "\"Path\"=\"C:\\Program Files\\Quilvar\""
done
entry=$(reg_query 'Uninstall\Quilvar')
check has "$entry" '"DisplayName"="Quilvar 旅游报价计算器"'
check has "$entry" "\"DisplayVersion\"=\"$version\""
check has "$entry" '"Publisher"="Orvane软件"'
check has "$entry" '"UninstallString"="\"C:\Program Files\Quilvar\uninstall.exe\""'
check has "$entry" '"QuietUninstallString"="\"C:\Program Files\Quilvar\uninstall.exe\" /S"'
check has "$entry" '"InstallLocation"="C:\Program Files\Quilvar"'
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quilvar"
for shortcut in "Quilvar 旅游报价计算器" 使用说明 "卸载 Quilvar"; do
    check test -f "$start_menu/$shortcut.lnk"
done

echo "== started by name, as a host does (App Paths); the settings in the shared folder"
# The agency's letterhead, as the settings window saves it; the customer's quote must carry it,
# and the program saves the quote's running number beside it.
printf '[Agency]\r\nName=%s\r\n' "$(printf 昆明山水旅行社 | iconv -t GBK)" >>"$shared_ini"
fixture=$(cd tests/excel/fixtures && pwd)/lo_quote.xlsx
"$wine" cmd /c start /wait /b quilvar-batch --import "Z:${fixture//\//\\}" --quote 15 --tour-name 云南八日游 \
    --quote-pdf 'C:\by-name.pdf' >/dev/null 2>&1 || true
text=$(pdftotext "$drive_c/by-name.pdf" - 2>/dev/null || true)
check has "$text" 云南八日游
check has "$text" 昆明山水旅行社
check grep -qE "^LastQuoteNumber=[0-9]{8}-01" <<<"$(gbk "$shared_ini" | tr -d "\r")"
# The calculator, by name, offscreen: its process runs from the program folder until ended.
running() {
    for pid in $(pgrep -f 'Program Files\\Quilvar\\quilvar\.exe' || true); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
"$wine" cmd /c start quilvar >/dev/null 2>&1 || true
started=1
for _ in $(seq 1 40); do running && { started=0; break; }; sleep 0.5; done
check test "$started" -eq 0
"$wine" taskkill /f /im quilvar.exe >/dev/null 2>&1 || true

echo "== an upgrade keeps the settings"
check test "$(run_setup)" -eq 0
check has "$(gbk "$shared_ini")" 昆明山水旅行社

echo "== silent uninstall keeps the settings"
uninstall 'C:\Program Files\Quilvar'
check test ! -e "$program_files"
check test ! -e "$start_menu"
check test -z "$(reg_query 'App Paths\quilvar.exe')"
check test -z "$(reg_query 'App Paths\quilvar-batch.exe')"
check test -z "$(reg_query 'Uninstall\Quilvar')"
check has "$(gbk "$shared_ini")" 昆明山水旅行社

echo "== a folder of IT's choosing (/D=), shared with another program, which an upgrade follows; its"
echo "   uninstall leaves the other program's files; the settings removed when asked"
chosen='C:\其它 软件\Quilvar'
check test "$(run_setup "/D=$chosen")" -eq 0
check test "$(run_setup)" -eq 0
check test -f "$drive_c/其它 软件/Quilvar/quilvar.exe"
check test ! -e "$program_files"
check has "$(reg_query 'App Paths\quilvar.exe')" "$chosen\\quilvar.exe"
for other in host.exe host.dll; do echo other >"$drive_c/其它 软件/Quilvar/$other"; done
uninstall "$chosen" /REMOVESETTINGS
check test ! -e "$drive_c/其它 软件/Quilvar/quilvar.exe"
check test ! -e "$drive_c/其它 软件/Quilvar/platforms"
check test -f "$drive_c/其它 软件/Quilvar/host.exe"
check test -f "$drive_c/其它 软件/Quilvar/host.dll"
check test ! -e "$drive_c/ProgramData/Quilvar"

[ "$failures" -eq 0 ] || { echo "$failures installer check(s) failed"; exit 1; }
