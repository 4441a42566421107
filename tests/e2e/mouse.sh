#!/usr/bin/env bash
# A skinned form under the real mouse (xdotool on the X server Wine draws on): its system menu,
# ended by its icon, lib.sh's real_mouse, its maximise button. Which events fire, and the edges
# that stay, SkinMouse checks. usage: mouse.sh <wine> <build folder> <samples folder>
. "$(dirname "$0")/lib.sh"
start() {  # start <events file>: one skinned form, up and settled
    events=$1
    start_program NimbraHost.exe --quit-after 30000 "$(win "$samples/Blau.frm")"
    check "a skin lies around the form" find_form '^Blau \(cXPBlue\)$'
    read -r x0 y0 w0 h0 <<< "$(host_rect)"
}
# A menu that opened at (mx, my) since the windows in $before were listed.
menu_at() {
    local w
    for w in $(comm -13 <(echo "$before") <(visible)); do
        geom MENU_ "$w" && [ "$MENU_X" -eq "$mx" ] && [ "$MENU_Y" -eq "$my" ] && menu=$w && return 0
    done
    return 1
}
menu_gone() { ! visible | grep -qx "$menu"; }
menu() {  # menu <what> <x> <y> <xdotool arguments...>: they open the system menu at x, y; Escape closes it
    before=$(visible) mx=$2 my=$3
    xdotool "${@:4}"
    check "$1 shows the system menu at $mx, $my" until_true menu_at
    xdotool key Escape
    check "Escape closes it" until_true menu_gone
}

# A right click in the title band opens it at the cursor, and the form stays
# where it was; Alt+Space opens it below the skin's icon (6 pixels in, under
# the 30-pixel title bar), where a native window shows it.
start "$scratch/menu.txt"
menu "a right click on the title" $((x0 + 100)) $((y0 - 15)) mousemove $((x0 + 100)) $((y0 - 15)) click 3
park
check "the form stayed where it was" form_at "$x0 $y0 $w0 $h0"
menu "Alt+Space" $((x0 + 2)) "$y0" key alt+space
# A double click on the icon ends the host without CloseButtonClicked, though its first click opens
# the system menu (first: the host is gone before it has read the last release).
xdotool mousemove $((x0 + 10)) $((y0 - 14)) click --repeat 2 --delay 80 1
park
check "a double click on the icon ends NimbraHost" ends_within 25
check "without CloseButtonClicked" bash -c "! grep -q CloseButtonClicked '$events'"

# SpEv, asked from another process while the real button is down: the left one. Once released, none,
# after each button's "pressed since last asked" bit has been read once (the right one's: the menu's).
printf 'Set s = CreateObject("NimbraForm.SpEv")\r\nWScript.Echo s.MouseButtonPressed\r\n' > "$scratch/button.vbs"
button_is() { [ "$("$wine" cscript //nologo "$(win "$scratch/button.vbs")" 2>/dev/null | tr -d '\r')" = "$1" ]; }
start "$scratch/drag.txt"
# Maximised, the host fills the screen below the 26-pixel title bar.
real_mouse 120 80 60 "0 26 $sw $((sh - 26))" check "MouseButtonPressed says left while it is held" button_is 1
check "and none once they are released" poll 3 button_is 0
# The maximise button, 50 pixels from the skin's right edge, does the same.
read -r x y w h <<< "$(host_rect)"
xdotool mousemove $((x + w - 36)) $((y - 14)) click 1
check "the maximise button maximises it the same way" until_true form_at "0 26 $sw $((sh - 26))" maximised
# Closed from the keyboard: the host has taken every mouse event before it
# ends, so no button stays down for the tests after this one.
xdotool key alt+F4
check "Alt+F4 ends the maximised form" ends_within 25

finish mouse.sh
