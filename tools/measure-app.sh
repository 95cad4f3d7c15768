#!/usr/bin/env bash
# Start-up time, and the calculator window at the sheet's limit (first paint, scrolls and keystrokes
# after an import, a fill and a paste of 32,766 lines) with its resident memory, under Xvfb. Prints figures only. Usage: tools/measure-app.sh [build-dir]
# (configure the build with -DQUILVAR_BENCH=ON).
set -euo pipefail
build="${1:-$(cd "$(dirname "$0")/.." && pwd)/build-gui}"
for tool in app/quilvar bench/app/quilvar_startup_timer bench/app/quilvar_keystroke_bench; do
  [ -x "$build/$tool" ] || { echo "missing $build/$tool: build it first" >&2; exit 1; }
done
xvfb-run -a -s "-screen 0 1024x768x24" "$build/bench/app/quilvar_startup_timer" "$build/app/quilvar" 5
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb "$build/bench/app/quilvar_keystroke_bench"
