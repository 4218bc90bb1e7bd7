#!/usr/bin/env bash
# Saves what the X display shows as a PNG: all of it, or one window.
#
#   scripts/screenshot.sh OUTPUT.png                 the whole display
#   scripts/screenshot.sh OUTPUT.png WINDOW_TITLE    that window, frame included
#
# The display is $DISPLAY, or the virtual one the Wine wrapper starts when
# there is none (:94, or KS_XVFB_DISPLAY). A title that names no window
# exactly picks the first top-level window whose title contains it.
# Needs xwd (x11-apps), xwininfo (x11-utils) and netpbm.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ "$1" = -h ] || [ "$1" = --help ]; then
    echo "usage: $0 OUTPUT.png [WINDOW_TITLE]" >&2
    exit 2
fi
output=$1
title=${2:-}
export DISPLAY="${DISPLAY:-:${KS_XVFB_DISPLAY:-94}}"

for tool in xwd xwininfo xwdtopnm pamcut pamdepth pnmtopng; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install-deps.sh run)" >&2; exit 1; }
done

# Prints "X Y WIDTH HEIGHT" of the window, from xwininfo's report.
geometry_of() {
    xwininfo "$@" 2>/dev/null | awk -F: '
        /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
        /^ *Width/ { w = $2 } /^ *Height/ { h = $2 }
        END { if (w == "") exit 1; print x + 0, y + 0, w + 0, h + 0 }'
}

crop=()
if [ -n "$title" ]; then
    if ! geometry=$(geometry_of -name "$title"); then
        # Top-level windows as: 0x800001 "Title": ("class" "class")  512x233+24+43  +24+43
        id=$(xwininfo -root -children 2>/dev/null |
             awk -v t="$title" '$1 ~ /^0x/ && index($0, "\"") {
                 name = $0; sub(/^[^"]*"/, "", name); sub(/": \(.*$/, "", name)
                 if (index(name, t) && $0 !~ / 1x1\+/) { print $1; exit } }')
        if [ -z "$id" ] || ! geometry=$(geometry_of -id "$id"); then
            echo "screenshot: no window titled '$title' on $DISPLAY" >&2
            exit 1
        fi
    fi
    read -r x y width height <<<"$geometry"
    read -r screen_width screen_height < <(geometry_of -root | awk '{ print $3, $4 }')
    # Keep to the part of the window that is on the screen.
    right=$((x + width < screen_width ? x + width : screen_width))
    bottom=$((y + height < screen_height ? y + height : screen_height))
    x=$((x < 0 ? 0 : x))
    y=$((y < 0 ? 0 : y))
    if [ "$right" -le "$x" ] || [ "$bottom" -le "$y" ]; then
        echo "screenshot: window '$title' is off the screen" >&2
        exit 1
    fi
    crop=(pamcut -left "$x" -top "$y" -width $((right - x)) -height $((bottom - y)))
fi

# Written beside the output, then renamed: no half-written PNG is ever seen.
partial="$output.partial"
trap 'rm -f "$partial"' EXIT
xwd -root -silent | xwdtopnm 2>/dev/null | { if [ ${#crop[@]} -gt 0 ]; then "${crop[@]}"; else cat; fi; } |
    pamdepth 255 | pnmtopng >"$partial" 2>/dev/null
mv "$partial" "$output"
trap - EXIT
