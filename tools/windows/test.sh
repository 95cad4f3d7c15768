#!/usr/bin/env bash
# Runs the Windows build's tests (tools/windows.sh builds them) under Wine through ctest: the
# rules' tests, the window tests offscreen, the workbook tests with the shared corpus, and the
# database tests against the same PostgreSQL, SQL Server (TDS) and SQLite servers as the Linux
# tests, through Wine's ODBC, which hands the calls to the host's unixODBC.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$PWD/build/win64
source tools/windows/wine-env.sh

# One Wine server for the whole run instead of one per test program (one still running from a run
# a moment ago serves as well).
/usr/lib/wine/wineserver -p 60 >/dev/null 2>&1 || true
# Wine's system processes would keep that server alive after the run: it ends with the run.
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT

export QT_QPA_PLATFORM=offscreen
# The window tests draw offscreen, whose fonts come from one folder: the system's, as on Windows.
# Now and then Wine fails to start a program at all (it ends at once, before the program's first
# line of output); such a test is run once more. A test that fails twice fails the run.
WINEQT_QPA_FONTDIR='C:\windows\Fonts' ctest --test-dir "$build" --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" \
    --repeat until-pass:2 "$@"

# What a Windows program under Wine cannot check itself: the package's files and the customer
# PDF's text, read from the host; the installer, in a Wine prefix of its own. With the whole run
# only: a run of chosen tests (ctest's options given) is not about the package.
if [ "$#" -eq 0 ]; then
    bash tools/windows/check-package.sh "$build"
    bash tools/windows/check-installer.sh "$build"
fi
