#!/usr/bin/env bash
# xpForm in a plain C++ window, hosted by the platform's ATL control host
# (AtlHost.exe): no form, no extender, no ambient properties, size requests
# refused. Under the real mouse the skin wraps the window, moves it, resizes
# it at the release, maximises and restores it, and its close button ends the
# program with exit code 0; nothing is reported on the way.
# usage: atl.sh <wine> <build folder>
set -u
wine=$1 build=$2
scratch=$build/test-scratch/atl-e2e
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"

reports=$scratch/reports.txt events=$scratch/events.txt
export NIMBRA_REPORT_LOG=$(win "$reports")
started=$SECONDS
start_program "$scratch" AtlHost.exe --quit-after 40000 --events "$(win "$events")"
frame=$(timeout 10 xdotool search --sync --onlyvisible --name '^ATL-Fenster$' | head -n 1)
geometry() { eval "$(xdotool getwindowgeometry --shell "$frame")"; }
is_at() { geometry; [ "$X" -eq "$1" ] && [ "$Y" -eq "$2" ]; }
is_sized() { geometry; [ "$WIDTH" -eq "$1" ] && [ "$HEIGHT" -eq "$2" ]; }
# The window under the title band is the skin: it lies 4 pixels around the
# window and 30 above it (BorderStyle 2, the default).
wrapped() {
    geometry
    local skin
    skin=$(xdotool mousemove $((X + 60)) $((Y - 15)) getmouselocation --shell | sed -n 's/^WINDOW=//p')
    eval "$(xdotool getwindowgeometry --shell "$skin" | sed 's/^/SKIN_/')"
    [ "$SKIN_X" -eq $((X - 4)) ] && [ "$SKIN_Y" -eq $((Y - 30)) ] &&
        [ "$SKIN_WIDTH" -eq $((WIDTH + 8)) ] && [ "$SKIN_HEIGHT" -eq $((HEIGHT + 34)) ]
}

geometry
check "the skin wraps the window ($X,$Y ${WIDTH}x$HEIGHT)" wrapped
x0=$X y0=$Y w0=$WIDTH h0=$HEIGHT

# A title drag by (+80, +50): the window follows.
xdotool mousemove $((X + 120)) $((Y - 15)) mousedown 1 mousemove $((X + 160)) $((Y + 10)) \
    mousemove $((X + 200)) $((Y + 35)) mouseup 1
check "a title drag moves the window by 80, 50" until_true is_at $((x0 + 80)) $((y0 + 50))
check "and the skin with it" wrapped

# The right edge: the width changes at the release. The press reads the cursor
# where the handler finds it: the pointer first slides along the edge (a
# Resize) and goes on only once the control has seen that.
geometry
ex=$((X + WIDTH + 2)) ey=$((Y + 60))
xdotool mousemove $ex $ey mousedown 1 mousemove $ex $((ey + 1))
until_true grep -q '^Resize' "$events"
xdotool mousemove $((ex + 50)) $((ey + 1))
check "during the drag the width stays" is_sized $w0 $h0
xdotool mouseup 1
check "at the release the window is 50 wider" until_true is_sized $((w0 + 50)) $h0
check "and the skin around it" wrapped

# A double click on the title maximises: the window fills the screen below the
# 26-pixel title bar; another one restores it.
geometry
x1=$X y1=$Y w1=$WIDTH h1=$HEIGHT
xdotool mousemove $((X + 120)) $((Y - 15)) click --repeat 2 --delay 80 1
maximised() { is_at 0 26 && is_sized "$sw" $((sh - 26)); }
check "a double click maximises the window to 0,26 ${sw}x$((sh - 26))" until_true maximised
xdotool mousemove 120 10 click --repeat 2 --delay 80 1
restored() { is_at $x1 $y1 && is_sized $w1 $h1; }
check "another one restores it" until_true restored

# The close button, 27 pixels from the skin's right edge and 6 below its top,
# closes the window: the program ends with exit code 0.
xdotool mousemove $((x1 + w1 + 4 - 17)) $((y1 - 30 + 16)) click 1
ended() { wait "$pid"; rc=$?; [ $((SECONDS - started)) -lt 35 ] && [ $rc -eq 0 ]; }
check "the close button ends the program with exit code 0" ended
check "nothing was reported" test ! -s "$reports"
[ -s "$reports" ] && cat "$reports"
kill "$pid" 2>/dev/null

finish atl.sh
