#!/usr/bin/env bash
# Checks from the host what the Windows programs cannot show under Wine: what their files say of
# themselves (subsystem, version resource, manifest), and the text of a customer PDF that
# quilvar-batch.exe wrote with a Chinese font from the system's font folder (read with the host's
# pdftotext; its first page is left as a picture beside it). Run by tools/windows/test.sh, with
# its Wine settings.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/win64}
failures=0
check() { if "$@"; then echo "  ok: ${*: -1}"; else echo "  FAILED: $*"; failures=$((failures + 1)); fi; }

subsystem() { x86_64-w64-mingw32-objdump -p "$1" | grep -q "^Subsystem.*($2)"; }
# The resource's texts are UTF-16; the manifest is UTF-8.
holds_text() { python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(0 if sys.argv[2].encode(sys.argv[3]) in d else 1)' "$@"; }

echo "== the programs' files"
for exe in app/quilvar.exe app/quilvar-batch.exe app/quilvar-xls-reader.exe; do
    file=$build/$exe
    case $exe in
        */quilvar.exe) check subsystem "$file" "Windows GUI" ;;
        *) check subsystem "$file" "Windows CUI" ;;
    esac
    check holds_text "$file" "Quilvar 旅游报价计算器" utf-16-le
    check holds_text "$file" "Orvane软件" utf-16-le
    check holds_text "$file" "<longPathAware" utf-8
    check holds_text "$file" "Microsoft.Windows.Common-Controls" utf-8
    check holds_text "$file" "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" utf-8
done

echo "== the zip's names: UTF-8, flagged so (Explorer then shows 使用说明.txt as such)"
utf8_flagged() { python3 -c 'import sys, zipfile
names = [i for i in zipfile.ZipFile(sys.argv[1]).infolist() if not i.filename.isascii()]
sys.exit(0 if names and all(i.flag_bits & 0x800 for i in names) else 1)' "$1"; }
check utf8_flagged "$build/quilvar-win64.zip"

echo "== the customer PDF written by quilvar-batch.exe"
out=$build/check
rm -rf "$out"
mkdir -p "$out"
"$PWD/tools/windows/wine.sh" "$build/app/quilvar-batch.exe" --import tests/excel/fixtures/lo_quote.xlsx \
    --tour-name 云南八日游 --quote 15,20 --quote-pdf "$out/报价单.pdf" >"$out/batch.log" 2>&1 || true
text=$(pdftotext "$out/报价单.pdf" - 2>/dev/null || true)
for expected in 报价单 云南八日游 成人价 15 20; do
    check grep -q "$expected" <<<"$text"
done
pdftoppm -png -r 60 -f 1 -l 1 "$out/报价单.pdf" "$out/page" 2>/dev/null || true

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
