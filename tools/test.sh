#!/usr/bin/env bash
# Sets up, checks the code's shape (layers, function lengths, format: tools/guards.sh, which fails
# fast, before the long build), builds and runs every test: the unit and widget tests (under
# AddressSanitizer and UndefinedBehaviorSanitizer, with a PostgreSQL server of their own), then each
# fuzz target for a short, fixed time. The benchmarks are built too. Then the Windows build and its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
bash tools/guards.sh

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${QUILVAR_FUZZ_SECONDS:-20}

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILVAR_SANITIZE=ON
cmake --build build/test -j "$jobs"

export QT_QPA_PLATFORM=offscreen
# Leaks in the system's font and graphics libraries are not ours to mend.
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build/test --output-on-failure -j "$jobs"

# The benchmarks are not run here (their figures need a quiet machine), but they must keep building.
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILVAR_BENCH=ON -DQUILVAR_TESTS=OFF
cmake --build build/bench -j "$jobs"
# The tests ran the sanitized batch tool; the release one also tunes its heap and ends without taking
# the sheet apart. Both must say the same of the same workbooks, read and written.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
build/bench/app/quilvar-batch --import bench/excel/quote500.xls --export "$scratch/quote500.xlsx"
for workbook in bench/excel/quote500.xls "$scratch/quote500.xlsx"; do
    build/test/app/quilvar-batch --import "$workbook" --json >"$scratch/tested.json"
    build/bench/app/quilvar-batch --import "$workbook" --json >"$scratch/release.json"
    cmp "$scratch/tested.json" "$scratch/release.json"
    [ "$(wc -c <"$scratch/release.json")" -gt 10000 ]
done

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILVAR_FUZZ=ON -DQUILVAR_TESTS=OFF -DQUILVAR_GUI=OFF
cmake --build build/fuzz -j "$jobs"
mkdir -p build/fuzz/corpus
for target in $(find build/fuzz/fuzz -maxdepth 2 -type f -name 'fuzz_*' -perm -u+x | sort); do
    name=$(basename "$target")
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=fuzz/seeds/$name
    [ -d "$seeds" ] || seeds=
    echo "== $name for ${fuzz_seconds}s"
    "$target" -max_total_time="$fuzz_seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
        "$corpus" $seeds 2>&1 | tail -n 12
done
echo "fuzzing: every target ran ${fuzz_seconds}s without a crash"

# The Windows half: the same programs cross-built for Windows and every test under Wine, against the
# same servers. QUILVAR_WINDOWS=0 skips it for a quick local run.
if [ "${QUILVAR_WINDOWS:-1}" != 0 ]; then
    bash tools/windows.sh --test
fi
