#!/usr/bin/env bash
# Photographs every window of the calculator under Xvfb: the priced sheet, the expression and
# category editors over a cell, the open category list, the popup menu, the quote window (also
# over a settings file with values it does not know, and with a line whose amount was typed over),
# the letterhead dialog, the refused head-count refresh, the recent quotes, the note after a crash,
# the paste question, a misread number marked, About
# and Help, the connection-error message and the settings window; at the scale factors 1, 1.5
# and 2, once with WenQuanYi Zen Hei and once with Noto Sans CJK SC (each time the other font is
# hidden from fontconfig). Images go to OUTPUT-DIR/<font>-<scale>/<scene>.png, outside git.
# Usage: tools/screenshots.sh [build-dir] [output-dir]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-gui}"
out="${2:-$build/screenshots}"
driver="$build/app/quilvar-screenshot-driver"
[ -x "$driver" ] || { echo "build the target quilvar-screenshot-driver first" >&2; exit 1; }
fc-list | grep -i 'WenQuanYi' >/dev/null || { echo "the CJK font (fonts-wqy-zenhei) is missing" >&2; exit 1; }
fc-list | grep -i 'Noto Sans CJK' >/dev/null || { echo "the CJK font (fonts-noto-cjk) is missing" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A fontconfig setup that hides the fonts whose files match a pattern.
hide_fonts() {
    cat >"$scratch/$1.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <selectfont><rejectfont><glob>$2</glob></rejectfont></selectfont>
</fontconfig>
CONF
}
hide_fonts wqy '*/noto/*CJK*'
hide_fonts noto '*/wqy/*'

for font in wqy noto; do
    for scale in 1 1.5 2; do
        dir="$out/$font-$scale"
        mkdir -p "$dir"
        for scene in main editor category dropdown menu quote quoteunknown quoteflagged agency refresh open overflow \
            saved toolong about help connerror settings recent crashnote paste marked; do
            rm -f "$dir/$scene.png"
            # The settings window, closed without a server to connect to, ends the program with a
            # status of 1 after the picture; the picture is what counts.
            xvfb-run -a -s "-screen 0 2000x1500x24" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
                FONTCONFIG_FILE="$scratch/$font.conf" "$driver" "$scene" "$dir/$scene.png" 2>/dev/null || true
            [ -s "$dir/$scene.png" ] || { echo "no picture of $scene" >&2; exit 1; }
            # Only the windows, not the empty screen around them.
            convert "$dir/$scene.png" -trim +repage "$dir/$scene.png"
            echo "$dir/$scene.png"
        done
    done
done
