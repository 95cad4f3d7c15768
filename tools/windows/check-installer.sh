#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own made afresh: its refusal on Windows 7, a
# silent install, what it registers (App Paths, the entry in 应用和功能), the settings in the shared
# folder, quilvar-batch started by name as a host would, and a silent uninstall that keeps the
# settings. What only a real Windows shows (the Users group's write access to the settings folder,
# a 32-bit Windows refusing a 64-bit program, SmartScreen) is not checked here.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build/win64}" && pwd)
setup=$build/quilvar-setup.exe
[ -f "$setup" ] || { echo "no $setup"; exit 1; }
export WINEPREFIX=$build/wineprefix-install WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
rm -rf "$WINEPREFIX"
"$wine" wineboot --init >/dev/null 2>&1
failures=0
check() { if "$@"; then echo "  ok: ${*: -1}"; else echo "  FAILED: $*"; failures=$((failures + 1)); fi; }
has() { grep -qi -- "$2" <<<"$1"; }

drive_c=$WINEPREFIX/drive_c
echo "== refused on a Windows older than 10 1809 (this Wine says 7 until told otherwise)"
"$wine" winecfg -v win7 >/dev/null 2>&1
"$wine" "$setup" /S >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
check test ! -e "$drive_c/Program Files/Quilvar"

echo "== silent install"
"$wine" winecfg -v win10 >/dev/null 2>&1
"$wine" "$setup" /S >/dev/null 2>&1
/usr/lib/wine/wineserver -w
check test -f "$drive_c/Program Files/Quilvar/quilvar.exe"
check test -f "$drive_c/Program Files/Quilvar/uninstall.exe"
check test ! -f "$drive_c/Program Files/Quilvar/default.ini"
check test -f "$drive_c/ProgramData/Quilvar/default.ini"
check test -d "$drive_c/Program Files/Quilvar/第三方软件许可"
app_paths=$("$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\quilvar.exe' 2>/dev/null | tr -d '\r' || true)
check has "$app_paths" 'Program Files\\Quilvar\\quilvar.exe'
uninstall=$("$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quilvar' 2>/dev/null | tr -d '\r' || true)
check has "$uninstall" "DisplayVersion"
check has "$uninstall" "Orvane"
check has "$uninstall" 'uninstall.exe'
check test -f "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quilvar/使用说明.lnk"

echo "== started by name, as a host does (App Paths)"
fixture=$(cd tests/excel/fixtures && pwd)/lo_quote.xlsx
"$wine" cmd /c start /wait /b quilvar-batch --import "Z:${fixture//\//\\}" --export 'C:\by-name.xlsx' >/dev/null 2>&1 || true
check test -s "$drive_c/by-name.xlsx"

echo "== silent uninstall keeps the settings"
printf '[ConnServ]\r\nDATA SOURCE=kept\r\n' >"$drive_c/ProgramData/Quilvar/default.ini"
"$wine" "$drive_c/Program Files/Quilvar/uninstall.exe" /S >/dev/null 2>&1
/usr/lib/wine/wineserver -w
sleep 2 # the uninstaller runs on from a copy of itself
check test ! -e "$drive_c/Program Files/Quilvar"
check grep -q kept "$drive_c/ProgramData/Quilvar/default.ini"
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true

[ "$failures" -eq 0 ] || { echo "$failures installer check(s) failed"; exit 1; }
