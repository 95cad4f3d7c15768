#!/usr/bin/env bash
# Photographs the calculator window under Xvfb with a CJK font: the priced sheet, the expression
# and category editors over a cell, the popup menu, About and Help, the connection-error message
# and the settings window.
# Usage: tools/screenshots.sh [build-dir] [output-dir]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-gui}"
out="${2:-$build/screenshots}"
driver="$build/app/quilvar-screenshot-driver"
[ -x "$driver" ] || { echo "build the target quilvar-screenshot-driver first" >&2; exit 1; }
fc-list | grep -qi 'WenQuanYi' || { echo "the CJK font (fonts-wqy-zenhei) is missing" >&2; exit 1; }
mkdir -p "$out"
for scene in main editor category menu about help connerror settings; do
  xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb "$driver" "$scene" "$out/$scene.png"
  echo "$out/$scene.png"
done
