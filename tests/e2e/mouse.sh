#!/usr/bin/env bash
# A skinned form under the real mouse (xdotool on the X server Wine draws on):
# dragged by its title, resized by its frame, double-clicked, given its system
# menu, closed by its icon. Checked by the windows' rectangles and the event
# log. Which events fire, and the edges that stay, the unit tests check with
# the same handlers (SkinMouse); locked and cancelling forms are theirs too.
# usage: mouse.sh <wine> <build folder> <samples folder>
set -u
wine=$1 build=$2 samples=$3
scratch=$build/test-scratch/mouse-e2e
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"

# The host form's window is found by its caption; the skin lies around it,
# 4 pixels of frame and 30 of title bar (BorderStyle 2).
geometry() { geom F "$host_id" && X=$FX Y=$FY W=$FW H=$FH; }  # of the host form
is_at() { geometry; [ "$X" -eq "$1" ] && [ "$Y" -eq "$2" ]; }
is_sized() { geometry; [ "$W" -eq "$1" ] && [ "$H" -eq "$2" ]; }
start() {  # start <events file>: one skinned form, up and settled
    started=$SECONDS
    start_host "$scratch" --events "$(win "$1")" --quit-after 30000 "$(win "$samples/Blau.frm")"
    host_id=$(timeout 10 xdotool search --sync --onlyvisible --name '^Blau \(cXPBlue\)$' | head -n 1)
    geometry
}
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
# Waits for NimbraHost's end: true when it came well before its --quit-after.
ended() { wait "$pid" 2>/dev/null; [ $((SECONDS - started)) -lt 25 ]; }
# A menu that opened at (mx, my) since the windows in $before were listed.
menu_at() {
    local w
    for w in $(comm -13 <(echo "$before") <(visible)); do
        geom MENU_ "$w" && [ "$MENU_X" -eq $mx ] && [ "$MENU_Y" -eq $my ] && menu=$w && return 0
    done
    return 1
}
menu_gone() { ! visible | grep -qx "$menu"; }

# A right click in the title band opens the host's system menu at the cursor;
# Escape closes it and the form has not moved.
start "$scratch/menu.txt"
x0=$X y0=$Y mx=$((X + 100)) my=$((Y - 15))
before=$(visible)
xdotool mousemove $mx $my click 3
check "a right click on the title shows a menu at the cursor" until_true menu_at
xdotool key Escape
check "Escape closes it" until_true menu_gone
park
check "the form stayed where it was" is_at $x0 $y0
# Alt+Space opens the same menu below the skin's icon (6 pixels in, under the
# 30-pixel title bar), where a native window shows it.
mx=$((x0 - 4 + 6)) my=$y0
before=$(visible)
xdotool key alt+space
check "Alt+Space shows it below the icon ($mx, $my)" until_true menu_at
xdotool key Escape
check "Escape closes it again" until_true menu_gone

# A double click on the icon ends the host without CloseButtonClicked, though
# its first click opens the system menu (first: the host is gone before it has
# read the last release).
xdotool mousemove $((X + 10)) $((Y - 14)) click --repeat 2 --delay 80 1
park
check "a double click on the icon ends NimbraHost" ended
check "without CloseButtonClicked" bash -c "! grep -q CloseButtonClicked '$scratch/menu.txt'"
stop

# A title drag by (+120, +80): skin and host follow at every step.
start "$scratch/drag.txt"
x0=$X y0=$Y w0=$W h0=$H tx=$((X + 100)) ty=$((Y - 15))
xdotool mousemove $tx $ty mousedown 1 mousemove $((tx + 60)) $((ty + 40))
check "half way the form is 60, 40 further" until_true is_at $((x0 + 60)) $((y0 + 40))
geom SKIN_ "$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')"
check "the skin lies around the host ($SKIN_X, $SKIN_Y)" test "$SKIN_X" -eq $((x0 + 56)) -a "$SKIN_Y" -eq $((y0 + 10))
# SpEv, asked from another process while the real button is down: the left one.
printf 'Set s = CreateObject("NimbraForm.SpEv")\r\nWScript.Echo s.MouseButtonPressed\r\n' > "$scratch/button.vbs"
button() { "$wine" cscript //nologo "$(win "$scratch/button.vbs")" 2>/dev/null | tr -d '\r'; }
check "MouseButtonPressed says left while it is held" test "$(button)" = 1
xdotool mousemove $((tx + 120)) $((ty + 80)) mouseup 1
check "at the release the form is 120, 80 further" until_true is_at $((x0 + 120)) $((y0 + 80))
# The release leaves the "pressed since last asked" bit for one query.
button > /dev/null
check "and none once it is released" test "$(button)" = 0

# The right edge: nothing during the drag, the new width at the release. The
# press reads the cursor where the handler finds it: the pointer first slides
# along the edge (a Resize) and goes on only once the form has seen that.
geometry
ex=$((X + W + 2)) ey=$((Y + 50))
xdotool mousemove $ex $ey mousedown 1 mousemove $ex $((ey + 1))
until_true grep -q Resize "$scratch/drag.txt"
xdotool mousemove $((ex + 30)) $((ey + 1)) mousemove $((ex + 60)) $((ey + 1))
check "during the drag the width stays ($W)" is_sized $w0 $h0
xdotool mouseup 1
check "at the release the form is 60 wider" until_true is_sized $((w0 + 60)) $h0

# A double click on the title maximises: the host fills the screen below the
# 26-pixel title bar, nothing of the skin left beside or below it. A second
# one restores; the maximise button does the same as the first.
maximised() { is_at 0 26 && is_sized "$sw" $((sh - 26)); }
geometry
x2=$X y2=$Y w2=$W h2=$H
xdotool mousemove $((X + 100)) $((Y - 15)) click --repeat 2 --delay 80 1
check "a double click on the title maximises: the host is 0,26 ${sw}x$((sh - 26))" until_true maximised
xdotool mousemove 100 10 click --repeat 2 --delay 80 1
restored() { is_at $x2 $y2 && is_sized $w2 $h2; }
check "a second double click restores it" until_true restored
# The maximise button: 50 pixels from the skin's right edge, 6 below its top.
xdotool mousemove $((x2 + w2 - 36)) $((y2 - 14)) click 1
check "the maximise button maximises it the same way" until_true maximised
# Closed from the keyboard: the host has taken every mouse event before it
# ends, so no button stays down for the tests after this one.
xdotool key alt+F4
check "Alt+F4 ends the maximised form" ended
stop

finish mouse.sh
