#!/usr/bin/env bash
# Checks from the host what the Windows programs cannot show under Wine: what the packaged files
# say of themselves where Windows reads it (the subsystem in the PE header, the version resource,
# the manifest), the zip's names, and the text of a customer PDF that the packaged
# quilvar-batch.exe wrote with the Chinese font it found in the system's font folder (read with the
# host's pdftotext; its first page is left as a picture beside it). Run by tools/windows/test.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build/win64}" && pwd)
source tools/windows/wine-env.sh
failures=0
check() { if "$@"; then echo "  ok: ${*: -1}"; else echo "  FAILED: $1 … ${*: -1}"; failures=$((failures + 1)); fi; }
has() { grep -qF -- "$2" <<<"$1"; }

package=$build/package/quilvar
version=$(sed -n 's/^project(Quilvar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
echo "== the programs' files"
for exe in quilvar.exe quilvar-batch.exe quilvar-batch-documents.exe quilvar-xls-reader.exe; do
    echo "-- $exe"
    info=$(python3 tools/windows/pe-info.py "$package/$exe")
    # Only the calculator is a window program: no console opens beside it.
    if [ "$exe" = quilvar.exe ]; then check has "$info" "subsystem=GUI"; else check has "$info" "subsystem=CUI"; fi
    check has "$info" "version:ProductName=Quilvar 旅游报价计算器"
    check has "$info" "version:CompanyName=Orvane软件"
    check has "$info" "version:ProductVersion=$version"
    check has "$info" "version:OriginalFilename=$exe"
    check has "$info" '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>'
    check has "$info" 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
    check has "$info" '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'
done
echo "-- quilvar-setup.exe"
info=$(python3 tools/windows/pe-info.py "$build/quilvar-setup.exe")
check has "$info" "version:ProductName=Quilvar 旅游报价计算器"
check has "$info" "version:ProductVersion=$version"
check has "$info" 'level="requireAdministrator"'

echo "== the zip's names: UTF-8, flagged so (Explorer then shows 使用说明.txt as such)"
utf8_flagged() { python3 -c 'import sys, zipfile
names = [i for i in zipfile.ZipFile(sys.argv[1]).infolist() if not i.filename.isascii()]
sys.exit(0 if names and all(i.flag_bits & 0x800 for i in names) else 1)' "$1"; }
check utf8_flagged "$build/quilvar-win64.zip"

echo "== the customer PDF written by the packaged quilvar-batch.exe"
# From the package alone (no library folders on the path), with the system's fonts only (no
# font folder named to it): as on an agency's PC.
out=$build/check
rm -rf "$out"
mkdir -p "$out"
# From a copy: the batch saves the quote's running number into the settings file beside it, which
# must not change the package the installer is made from.
cp -r "$package" "$out/package"
status=0
WINEPATH= "$PWD/tools/windows/wine.sh" "$out/package/quilvar-batch.exe" --import tests/excel/fixtures/lo_quote.xlsx \
    --tour-name 云南八日游 --quote 15,20 --quote-pdf "$out/报价单.pdf" >"$out/batch.log" 2>&1 || status=$?
check test "$status" -eq 0
# The Chinese font is embedded (a PDF without it shows black boxes wherever it is opened).
fonts=$(pdffonts "$out/报价单.pdf" 2>/dev/null || true)
check grep -qE '^WenQuanYi.*CID TrueType +Identity-H +yes' <<<"$fonts"
text=$(pdftotext "$out/报价单.pdf" - 2>/dev/null || true)
for expected in 报价单 云南八日游 成人价（元/人） 205.5 175.5; do
    check has "$text" "$expected"
done
pdftoppm -png -r 80 -f 1 -l 1 "$out/报价单.pdf" "$out/page" 2>/dev/null || true

[ "$failures" -eq 0 ] || { echo "$failures package check(s) failed (the batch's output: $out/batch.log)"; exit 1; }
