#!/usr/bin/env bash
# Runs the Windows build's tests (tools/windows.sh builds them) under Wine through ctest: the
# rules' tests, the window tests offscreen, the workbook tests with the shared corpus, and the
# database tests against the same PostgreSQL, SQL Server (TDS) and SQLite servers as the Linux
# tests, through Wine's ODBC, which hands the calls to the host's unixODBC.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$PWD/build/win64
prefix=$(cat "$build/windows-libraries")

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine hands a Windows program its own environment: QT_ and other settings travel with a WINE prefix.
export WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1
to_windows() { echo "Z:${1//\//\\}"; }
winepath_dirs=("$prefix/bin" /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
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
# One Wine server for the whole run instead of one per test program (one still running from a run
# a moment ago serves as well).
/usr/lib/wine/wineserver -p 60 >/dev/null 2>&1 || true
# Wine's system processes would keep that server alive after the run: it ends with the run.
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT

export QT_QPA_PLATFORM=offscreen
# The window tests draw offscreen, whose fonts come from one folder: the system's, as on Windows.
WINEQT_QPA_FONTDIR='C:\windows\Fonts' ctest --test-dir "$build" --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"

# What a Windows program under Wine cannot check itself (the customer PDF's text, the programs'
# subsystem and resources, the installer in a prefix of its own) is checked by
# tools/windows/check-package.sh and tools/windows/check-installer.sh, run by hand for now: their
# subsystem and PDF checks do not yet pass against the built package.
