#!/usr/bin/env bash
# The checks that need no build, run first by the test command so that a violation fails it at once:
# the layers and include cycles, no product function over 60 lines, and every C++ file formatted by
# the repository's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

products=(app common costline sheet excel db quote)

python3 tools/layers.py
python3 tools/function-lengths.py "${products[@]}"

unformatted=()
while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -co --exclude-standard -- "${products[@]/%//*.cpp}" "${products[@]/%//*.h}" \
             'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp')
if [ "${#unformatted[@]}" -gt 0 ]; then
    echo "not formatted by .clang-format (clang-format -i FILE):"
    printf '  %s\n' "${unformatted[@]}"
    exit 1
fi
echo "format: every C++ file as .clang-format writes it"
