# The Wine settings under which the Windows build's programs are tested, sourced by
# tools/windows/test.sh and tools/windows/check-package.sh with $build set to the build folder:
# the build's own Wine prefix, made on first use, with the fonts a Windows machine has.
# The cached Windows libraries' folders (tools/windows.sh writes them, one a line): their DLLs.
mapfile -t library_dirs <"$build/windows-libraries"

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine hands a Windows program its own environment: QT_ and other settings travel with a WINE prefix.
export WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1
to_windows() { echo "Z:${1//\//\\}"; }
winepath_dirs=("${library_dirs[@]/%//bin}" /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
WINEPATH=
for dir in "${winepath_dirs[@]}"; do WINEPATH="$WINEPATH${WINEPATH:+;}$(to_windows "$dir")"; done
export WINEPATH
# Wine's ODBC hands every call to the host's unixODBC, which reads its environment from the Unix
# side, where a Windows program's own settings never arrive: the tests' driver registrations
# (FreeTDS also under the names Windows gives SQL Server's drivers) are named from here.
export ODBCSYSINI=$build/tests/db/odbc
# The tests' Windows programs must not lean on a Chinese system code page: Wine takes its code page
# from the locale, here a Western one.
export LC_ALL=C.UTF-8

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
fi
# This Wine does not load its own Tahoma from its data folder: without it in the prefix, Qt's
# default font falls back to one whose line-edit texts look empty.
fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
cp -n /usr/share/wine/fonts/tahoma*.ttf "$fonts/" 2>/dev/null || true
# A Chinese font in the system's font folder, where quilvar-batch takes the customer PDF's font from
# (a Windows machine has SimSun or Microsoft YaHei there).
cp -n /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$fonts/" 2>/dev/null || true
