#!/usr/bin/env bash
# Runs the window and start-up tests many times in a row under the sanitizer build (built here as
# tools/test.sh builds it, when it is not there yet) and counts the runs that passed. A test that
# depends on when the window system delivers an event fails some of the runs.
# Usage: tools/repeat-window-tests.sh [RUNS]   (30 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-30}

[ -f build/test/build.ninja ] || cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILVAR_SANITIZE=ON
cmake --build build/test -j "$(nproc 2>/dev/null || echo 2)" \
    --target quilvar_app_window_tests sheet_view_tests quilvar_startup_tests test_quote_window

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
passed=0
for run in $(seq 1 "$runs"); do
    if ctest --test-dir build/test -R '^(app_window|sheet_view_rules|app_startup|quote_window)$' --output-on-failure >"$log" 2>&1; then
        passed=$((passed + 1))
        echo "run $run: passed"
    else
        echo "run $run: FAILED"
        grep -E 'FAIL|Failure|Expected|Actual|Loc:' "$log" | head -n 20 || true
    fi
done
echo "window and start-up tests: $passed passed, $((runs - passed)) failed"
[ "$passed" -eq "$runs" ]
