#!/usr/bin/env bash
# Imports every workbook of the test fixtures and the shared corpus with the Linux quilvar-batch and
# with quilvar-batch.exe under Wine, and compares the JSON (and exit status) of the two; then each
# build exports what it imported, and the two exported workbooks must read back the same.
# Usage: compare-batch.sh LINUX_BATCH WINDOWS_FOLDER [WORKBOOK...]
set -uo pipefail
cd "$(dirname "$0")/../.."
linux=$1 windows=$2
shift 2
export WINEPREFIX=${WINEPREFIX:-$PWD/build/win64/wineprefix} WINEDEBUG=-all LC_ALL=C.UTF-8
files=("$@")
if [ "${#files[@]}" -eq 0 ]; then
    mapfile -t files < <(find tests/excel/fixtures ../shared/corpus /work/shared/corpus -type f \
        \( -name '*.xls' -o -name '*.xlsx' -o -name '*.xlsm' -o -name '*.xlsb' -o -name '*.ods' -o -name '*.et' \) \
        2>/dev/null | sort -u)
fi
same=0 differ=0
for file in "${files[@]}"; do
    a=$("$linux" --import "$file" --json 2>/dev/null; echo "exit $?")
    b=$(/usr/lib/wine/wine64 "$windows/quilvar-batch.exe" --import "$file" --json 2>/dev/null | tr -d '\r'; echo "exit ${PIPESTATUS[0]}")
    if [ "$a" = "$b" ] && [ "${a##*exit }" = 0 ]; then
        scratch=$(mktemp -d)
        "$linux" --import "$file" --export "$scratch/linux.xlsx" >/dev/null 2>&1
        /usr/lib/wine/wine64 "$windows/quilvar-batch.exe" --import "$file" --export "$scratch/windows.xlsx" >/dev/null 2>&1
        a="$a $("$linux" --import "$scratch/linux.xlsx" --json 2>/dev/null)"
        b="$b $("$linux" --import "$scratch/windows.xlsx" --json 2>/dev/null)"
        rm -rf "$scratch"
    fi
    if [ "$a" = "$b" ]; then
        same=$((same + 1))
    else
        differ=$((differ + 1))
        echo "DIFFERS: $file"
        diff <(echo "$a") <(echo "$b") | head -n 6
    fi
done
echo "$same the same, $differ different, of ${#files[@]} workbooks"
[ "$differ" -eq 0 ]
