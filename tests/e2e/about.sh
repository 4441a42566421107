#!/usr/bin/env bash
# A script (About.vbs) calls the control's About twice; each time the modal about window must show
# at its size and is clicked away with the real mouse. usage: about.sh <wine> <build folder>
. "$(dirname "$0")/lib.sh"
script=$scratch/About.vbs out=$scratch/about.txt
cat "$(dirname "$0")/../script/Check.vbs" "$(dirname "$0")/../script/About.vbs" > "$script"
timeout 90 "$wine" cscript //nologo "$(win "$script")" > "$out" 2>&1 &
pid=$!
for round in 1 2; do
    # The window itself is waited for (30 s at most); the click lands below the
    # links, where only the window is. The script says when About has come back.
    id=$(timeout 30 xdotool search --sync --onlyvisible --name '^Nimbra About$' 2>/dev/null | head -n 1)
    check "the about window appears (round $round)" test -n "$id"
    [ -n "$id" ] || break
    geom A "$id"
    check "it is 400x230 (${AW}x$AH)" test "$AW" = 400 -a "$AH" = 230
    xdotool mousemove $((AX + 200)) $((AY + 215)) click 1
    park
    check "About returns once the window is clicked away (round $round)" poll 200 grep -q "^About $round fertig" "$out"
done
wait $pid
tr -d '\r' < "$out" | grep -v '^About'
read -r sp sf < <(tr -d '\r' < "$out" | sed -n 's/^About.vbs: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p')
check "the script ends with its result line" test -n "${sp:-}"
passed=$((passed + ${sp:-0})) failed=$((failed + ${sf:-0}))
finish about.sh
