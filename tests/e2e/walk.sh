#!/usr/bin/env bash
# A seeded random walk of real input over one or two skinned forms: drags and resizes, clicks on the
# title, the icon, the caption buttons and the client area. After every step each skin must lie around
# its host, nothing may have been reported and NimbraHost must be alive; at the end the close buttons
# end it with exit code 0. NIMBRA_WALK_SEED replays a walk, NIMBRA_WALK_VERBOSE prints it.
# usage: walk.sh <wine> <build folder> <samples folder> <number of forms: 1 or 2>
. "$(dirname "$0")/lib.sh"
count=$4
if [ -n "${NIMBRA_SOAK:-}" ]; then steps=2000 seed=${NIMBRA_WALK_SEED:-$(( $(date +%s) % 100000 ))}
else steps=${NIMBRA_WALK_STEPS:-24} seed=${NIMBRA_WALK_SEED:-$((4711 + count))}; fi
# RANDOM is only ever read in this shell: a subshell reseeds it, and the walk would not replay.
RANDOM=$seed
echo "walk.sh: $count form(s), $steps steps, seed $seed (replay: NIMBRA_WALK_SEED=$seed)"

captions=('^Blau \(cXPBlue\)$' '^Silber \(cXPSilver\)$')
files=("$(win "$samples/Blau.frm")" "$(win "$samples/Silber.frm")")
start_program NimbraHost.exe --quit-after $((steps * 3000 + 60000)) "${files[@]:0:count}"

hosts=() skins=()
for ((i = 0; i < count; i++)); do
    find_form "${captions[i]}" || { echo "FAILED: no skin lies around form $i"; exit 1; }
    hosts[i]=$host skins[i]=$skin
done

maximised() { [ "$SX" -eq 0 ] && [ "$SY" -eq 0 ] && [ "$SW" -eq "$sw" ] && [ "$SH" -eq "$sh" ]; }
# in_register <form>: the skin lies around the host, 4 pixels of frame and 30
# of title, or maximised, the host filling the screen below a 26-pixel title.
in_register() {
    geom H "${hosts[$1]}" && geom S "${skins[$1]}" || return 1
    if maximised; then
        [ "$HX" -eq 0 ] && [ "$HY" -eq 26 ] && [ "$HW" -eq "$sw" ] && [ "$HH" -eq $((sh - 26)) ]
        return
    fi
    # At the minimum height (500 twips) the host has no height left, and X
    # shows an empty window as 1 x 1: its width then says nothing.
    local empty=$([ "$HW$HH" = 11 ] && [ "$SH" -le 35 ] && echo 1)
    [ "$SX" -eq $((HX - 4)) ] && [ "$SY" -eq $((HY - 30)) ] &&
        { [ -n "$empty" ] || [ "$SW" -eq $((HW + 8)) ] || [ "$SW" -le 9 ]; } &&
        { [ "$SH" -eq $((HH + 34)) ] || [ "$SH" -le 35 ]; }
}
all_in_register() {
    local i
    for ((i = 0; i < count; i++)); do in_register "$i" || return 1; done
}
skin_moved() { geom T "${skins[$1]}" && [ "$TX,$TY,$TW,$TH" != "$2" ]; }
changed() { [ "$(visible)" != "$before" ]; }
windows_are() { [ "$(visible)" = "$1" ]; }
clamp() { local v=$1; ((v < 2)) && v=2; ((v > $2 - 3)) && v=$(($2 - 3)); echo $v; }  # a point kept on the screen

# A menu the step opens (a click may land on the other form, or in a
# maximised form's band) is closed with Escape.
menu_step() {  # menu_step <what> <xdotool arguments...>
    local before
    before=$(visible)
    act "$@"
    poll 40 changed && xdotool key Escape && until_true windows_are "$before"
}
act() { what=$1; shift; xdotool "$@"; }  # act <what> <xdotool arguments...>
title_at() { x=$((SX + 40 + RANDOM % (SW > 130 ? SW - 120 : 10))) y=$((SY + $1)); }  # right of the icon

step() {  # one random action on form $1; its text in $what
    local f=$1 x y dx dy zone seen before
    geom S "${skins[f]}"
    case $((RANDOM % 8)) in
    0)  title_at 15
        # The skin stays on the screen, its title bar within reach.
        dx=$((RANDOM % 201 - 100)) dy=$((RANDOM % 161 - 80))
        ((SX + dx < 0)) && dx=$((-SX)); ((SX + SW + dx > sw)) && dx=$((sw - SX - SW))
        ((SY + dy < 0)) && dy=$((-SY)); ((SY + 40 + dy > sh)) && dy=$((sh - SY - 40))
        act "title drag from $x,$y by $dx,$dy" mousemove "$x" "$y" mousedown 1 \
            mousemove "$(clamp $((x + dx / 2)) $sw)" "$(clamp $((y + dy / 2)) $sh)" \
            mousemove "$(clamp $((x + dx)) $sw)" "$(clamp $((y + dy)) $sh)" mouseup 1 ;;
    1)  zone=$((RANDOM % 8))
        local zx=(1 $((SW / 2)) $((SW - 2)) 1 $((SW - 2)) 1 $((SW / 2)) $((SW - 2)))
        local zy=(1 1 1 $((SH / 2)) $((SH / 2)) $((SH - 2)) $((SH - 2)) $((SH - 2)))
        x=$((SX + zx[zone])) y=$((SY + zy[zone])) dx=$((RANDOM % 241 - 120)) dy=$((RANDOM % 241 - 120))
        # Heights go down to the minimum; widths stay at 160 pixels or more, so
        # that the icon is not under the caption buttons.
        ((zx[zone] == 1 && SW - dx < 160)) && dx=$((SW - 160))
        ((zx[zone] == SW - 2 && SW + dx < 160)) && dx=$((160 - SW))
        what="resize from $x,$y (zone $zone) by $dx,$dy"
        if maximised; then  # no frame to take hold of
            xdotool mousemove "$x" "$y" click 1
            return
        fi
        # The press and the release read the cursor where their handlers find it: each goes on once the
        # form has seen the move before it (a Resize); the pointer stays until the skin has changed.
        before=$SX,$SY,$SW,$SH seen=$(resizes)
        xdotool mousemove "$x" "$y" mousedown 1 mousemove "$x" $((y + 1))
        poll 20 more_resizes "$seen"
        seen=$(resizes)
        xdotool mousemove "$(clamp $((x + dx)) $sw)" "$(clamp $((y + dy)) $sh)"
        poll 20 more_resizes "$seen"
        xdotool mouseup 1
        poll 20 skin_moved "$f" "$before" ;;
    2)  title_at 12
        act "double click on the title at $x,$y" mousemove "$x" "$y" click --repeat 2 --delay 80 1 ;;
    3)  title_at 12
        menu_step "right click on the title at $x,$y" mousemove "$x" "$y" click 3 ;;
    4)  menu_step "click on the icon" mousemove $((SX + 14)) $((SY + 15)) click 1 ;;
    5)  # Over the caption buttons from right to left, then the maximise/restore button.
        y=$((SY + 12))
        act "hover over the buttons, click maximise/restore" mousemove $((SX + SW - 17)) "$y" sleep 0.05 \
            mousemove $((SX + SW - 63)) "$y" sleep 0.05 mousemove $((SX + SW - 40)) "$y" click 1 ;;
    6)  geom H "${hosts[f]}"
        x=$((HX + 10 + RANDOM % (HW > 20 ? HW - 20 : 1))) y=$((HY + 10 + RANDOM % (HH > 20 ? HH - 20 : 1)))
        act "click in the client area at $x,$y" mousemove "$x" "$y" click 1 ;;
    7)  title_at 15
        act "click on the title at $x,$y" mousemove "$x" "$y" click 1 ;;
    esac
}

for ((n = 1; n <= steps; n++)); do
    f=$((RANDOM % count))
    step "$f"
    park
    [ -n "${NIMBRA_WALK_VERBOSE:-}" ] && echo "step $n, form $f: $what"
    if ! until_true all_in_register; then
        why="out of register"
    elif [ -s "$reports" ] || ! kill -0 "$pid" 2>/dev/null; then
        why="a report or NimbraHost's end: $(cat "$reports" 2>/dev/null)"
    else
        passed=$((passed + 1))
        continue
    fi
    failed=$((failed + 1))
    echo "FAILED: step $n (seed $seed), form $f: $what: $why"
    for ((i = 0; i < count; i++)); do
        geom H "${hosts[i]}"; geom S "${skins[i]}"
        echo "  form $i: skin $SX,$SY ${SW}x$SH, host $HX,$HY ${HW}x$HH"
    done
    break
done

# The close button, 27 pixels from the skin's right edge (23 when maximised), ends its form; a form
# may lie over another's button, so the first form whose click ends it counts. The end of one control
# unloads every skin of the library: a second form is then a bare window, ended by Alt+F4.
shown() { xdotool search --all --pid "$pid" --onlyvisible --name "${captions[$1]}" > /dev/null 2>&1; }
gone() { ! shown "$1"; }
closed=
for _ in 1 2; do
    for ((i = 0; i < count; i++)); do
        [ -z "$closed" ] && shown "$i" && geom S "${skins[i]}" || continue
        if maximised; then xdotool mousemove $((sw - 13)) 12 click 1
        else xdotool mousemove $((SX + SW - 17)) $((SY + 16)) click 1; fi
        park
        until_true gone "$i" && closed=$i
    done
done
check "a close button ends its form" test -n "$closed"
for ((i = 0; i < count; i++)); do
    shown "$i" && geom H "${hosts[i]}" && xdotool mousemove $((HX + HW / 2)) $((HY + HH / 2)) click 1 key alt+F4
done
park
# NimbraHost ends once its last form is gone (a child that has ended stays a
# zombie until waited for); one that does not is ended here and fails.
ended() { ! ps -o stat= -p "$pid" | grep -qv Z; }
poll 400 ended || kill "$pid" 2>/dev/null
wait "$pid"
rc=$?
check "the close buttons end NimbraHost with 0 ($rc)" test $rc -eq 0
check "nothing was reported: $(cat "$reports" 2>/dev/null)" test ! -s "$reports"

finish walk.sh
