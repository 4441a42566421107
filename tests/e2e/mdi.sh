#!/usr/bin/env bash
# Two skinned MDI child forms in an MDI parent form: each skin lies around its host inside the MDI
# client, a click on one activates it and deactivates the other, lib.sh's real_mouse works within
# the client, and nothing is reported. Where the windows stand comes from NimbraHost's --windows file.
# usage: mdi.sh <wine> <build folder> <samples folder>
. "$(dirname "$0")/lib.sh"
windows=$scratch/windows.txt
start_program NimbraHost.exe --quit-after 40000 --windows "$(win "$windows")" "$(win "$samples/MDIKind1.frm")" \
    "$(win "$samples/MDI.frm")" "$(win "$samples/MDIKind2.frm")"  # the MDI parent is made first whatever the order

# The windows file's lines as "caption|x y w h"; a skin has no caption.
listed() {
    tr -d '\r' 2>/dev/null < "$windows" |
        awk -F'|' '{ split($2, r, " "); print $1 "|" r[1], r[2], r[3] - r[1], r[4] - r[2] }'
}
rect() { listed | awk -F'|' -v c="$1" '$1 == c { print $2; exit }'; }  # of the first window of that caption
kunden='Kunden (MDI)' lieferanten='Lieferanten (MDI)'
host_rect() { rect "$kunden"; }
skin_at() { listed | grep -qx "|$1"; }
skin_of() { around "$(rect "$1")"; }  # where the skin of the form of that caption belongs
wrapped() { skin_at "$(skin_of "$1")"; }
inside_client() {
    local cx cy cw ch x y w h
    read -r cx cy cw ch <<< "$(rect MDICLIENT)"
    read -r x y w h <<< "$(skin_of "$1")"
    [ "$x" -ge "$cx" ] && [ "$y" -ge "$cy" ] && [ $((x + w)) -le $((cx + cw)) ] && [ $((y + h)) -le $((cy + ch)) ]
}
# The colour of the title bar's top rows at a point right of the caption text:
# the active and the inactive look differ there.
title_colour() {
    read -r x y w h <<< "$(skin_of "$1")"
    import -window root -crop "1x1+$((x + 160))+$((y + 3))" -depth 8 txt:- | sed -n 2p | awk '{ print $3 }'
}
click_title() {
    read -r x y w h <<< "$(skin_of "$1")"
    xdotool mousemove $((x + 60)) $((y + 15)) click 1
    park
}

for f in "$kunden" "$lieferanten"; do
    check "a skin lies around $f" until_true wrapped "$f"
    check "inside the MDI client" inside_client "$f"
done
# Lieferanten was shown last and is active; a click on Kunden's title turns both.
k0=$(title_colour "$kunden") l0=$(title_colour "$lieferanten")
click_title "$kunden"
turned() { [ "$(title_colour "$kunden")" != "$k0" ] && [ "$(title_colour "$lieferanten")" != "$l0" ]; }
check "a click on Kunden activates its skin and deactivates Lieferanten's ($k0, $l0)" until_true turned
click_title "$lieferanten"
back() { [ "$(title_colour "$kunden")" = "$k0" ] && [ "$(title_colour "$lieferanten")" = "$l0" ]; }
check "a click on Lieferanten turns them back" until_true back

# Maximised within the client, inside its 2-pixel sunken edge, the host lies
# below the skin's 26-pixel title bar.
read -r cx cy cw ch <<< "$(rect MDICLIENT)"
real_mouse 60 40 50 "$((cx + 2)) $((cy + 28)) $((cw - 4)) $((ch - 30))"
check "Kunden is still inside the client" inside_client "$kunden"

kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
check "nothing was reported: $(cat "$reports" 2>/dev/null)" test ! -s "$reports"
finish mdi.sh
