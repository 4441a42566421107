#!/usr/bin/env bash
# Two skinned MDI child forms in an MDI parent form, under the real mouse: each
# skin lies around its host inside the MDI client, a click on one activates
# it and deactivates the other, a title drag moves host and skin, a double
# click maximises the child within the client and another restores it, and
# nothing is reported. Where the windows stand comes from NimbraHost's
# --windows file, written anew whenever they have settled.
# usage: mdi.sh <wine> <build folder> <samples folder>
set -u
wine=$1 build=$2 samples=$3
scratch=$build/test-scratch/mdi-e2e
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"

reports=$scratch/reports.txt windows=$scratch/windows.txt
export NIMBRA_REPORT_LOG=$(win "$reports")
start_host "$scratch" --quit-after 40000 --windows "$(win "$windows")" \
    "$(win "$samples/MDI.frm")" "$(win "$samples/MDIKind1.frm")" "$(win "$samples/MDIKind2.frm")"

rect() {  # rect <caption>: "left top right bottom" of the first window of that caption
    tr -d '\r' < "$windows" 2>/dev/null | awk -F'|' -v c="$1" '$1 == c { print $2; exit }'
}
# A skin (no caption) lies 4 pixels around its host and 30 above it.
skin_of() {
    local l t r b
    read -r l t r b <<< "$(rect "$1")"
    tr -d '\r' < "$windows" 2>/dev/null | awk -F'|' -v want="$((l - 4)) $((t - 30)) $((r + 4)) $((b + 4))" \
        '$1 == "" && $2 == want { print $2; found = 1 } END { exit !found }'
}
inside_client() {
    local cl ct cr cb l t r b
    read -r cl ct cr cb <<< "$(rect MDICLIENT)"
    read -r l t r b <<< "$(skin_of "$1")"
    [ "$l" -ge "$cl" ] && [ "$t" -ge "$ct" ] && [ "$r" -le "$cr" ] && [ "$b" -le "$cb" ]
}
# The colour of the title bar's top rows at a point right of the caption text:
# the active and the inactive look differ there.
title_colour() {
    local l t r b
    read -r l t r b <<< "$(skin_of "$1")"
    import -window root -crop "1x1+$((l + 160))+$((t + 3))" -depth 8 txt:- | sed -n 2p | awk '{ print $3 }'
}
kunden='Kunden (MDI)' lieferanten='Lieferanten (MDI)'

wrapped() { skin_of "$1" > /dev/null; }
check "a skin lies around Kunden" until_true wrapped "$kunden"
check "a skin lies around Lieferanten" until_true wrapped "$lieferanten"
check "both inside the MDI client" inside_client "$kunden"
check "(Lieferanten)" inside_client "$lieferanten"

# Lieferanten was shown last and is active; a click on Kunden's title turns both.
k0=$(title_colour "$kunden") l0=$(title_colour "$lieferanten")
read -r l t r b <<< "$(skin_of "$kunden")"
xdotool mousemove $((l + 60)) $((t + 15)) click 1
park
turned() { [ "$(title_colour "$kunden")" != "$k0" ] && [ "$(title_colour "$lieferanten")" != "$l0" ]; }
check "a click on Kunden activates its skin and deactivates Lieferanten's ($k0, $l0)" until_true turned
read -r l t r b <<< "$(skin_of "$lieferanten")"
xdotool mousemove $((l + 60)) $((t + 15)) click 1
park
back() { [ "$(title_colour "$kunden")" = "$k0" ] && [ "$(title_colour "$lieferanten")" = "$l0" ]; }
check "a click on Lieferanten turns them back" until_true back

# A title drag of Kunden by (+60, +40): host and skin move together, inside the client.
read -r hl ht hr hb <<< "$(rect "$kunden")"
xdotool mousemove $((hl + 60)) $((ht - 15)) mousedown 1 mousemove $((hl + 90)) $((ht + 5)) \
    mousemove $((hl + 120)) $((ht + 25)) mouseup 1
park
moved() { [ "$(rect "$kunden")" = "$((hl + 60)) $((ht + 40)) $((hr + 60)) $((hb + 40))" ] && skin_of "$kunden" > /dev/null; }
check "a title drag moves Kunden by 60, 40 with its skin around it" until_true moved
check "still inside the client" inside_client "$kunden"

# A double click on the title maximises Kunden within the client: the skin fills
# the client's inside, the host lies below its 26-pixel title bar; another restores it.
read -r hl ht hr hb <<< "$(rect "$kunden")"
read -r cl ct cr cb <<< "$(rect MDICLIENT)"
xdotool mousemove $((hl + 60)) $((ht - 15)) click --repeat 2 --delay 80 1
park
# The client's sunken edge is 2 pixels wide.
maximised() {
    [ "$(rect "$kunden")" = "$((cl + 2)) $((ct + 2 + 26)) $((cr - 2)) $((cb - 2))" ] &&
        tr -d '\r' < "$windows" | grep -qx "|$((cl + 2)) $((ct + 2)) $((cr - 2)) $((cb - 2))"
}
check "a double click maximises Kunden within the client" until_true maximised
xdotool mousemove $((cl + 60)) $((ct + 15)) click --repeat 2 --delay 80 1
park
restored() { [ "$(rect "$kunden")" = "$hl $ht $hr $hb" ] && skin_of "$kunden" > /dev/null; }
check "another restores it where it was" until_true restored

kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
check "nothing was reported" test ! -s "$reports"
[ -s "$reports" ] && cat "$reports"
finish mdi.sh
