#!/usr/bin/env bash
# A script calls the control's About twice; each time the modal about window is
# waited for and clicked away with the real mouse, as a user would. Passes when
# the window showed at its size each time and the script's own checks passed
# (About.vbs runs with Check.vbs in front of it).
# usage: about.sh <wine> <script folder> <scratch folder>
set -u
wine=$1 script=$3/About.vbs
cat "$2/Check.vbs" "$2/About.vbs" > "$script"
. "$(dirname "$0")/lib.sh"
# The script's output comes through a pipe: it says when each About has come
# back, which is when its window is gone.
out=$3/about.pipe
rm -f "$out" && mkfifo "$out"
timeout 90 "$wine" cscript //nologo "$(win "$script")" > "$out" 2> "$3/about.err" &
pid=$!
exec 3< "$out"
for round in 1 2; do
    # The window itself is waited for (30 s at most); the click lands below the
    # links, where only the window is.
    id=$(timeout 30 xdotool search --sync --onlyvisible --name '^Nimbra About$' 2>/dev/null | head -n 1)
    check "the about window appears (round $round)" test -n "$id"
    [ -n "$id" ] || break
    geom A "$id"
    check "it is 400x230 (${AW}x$AH)" test "$AW" = 400 -a "$AH" = 230
    xdotool mousemove $((AX + 200)) $((AY + 215)) click 1
    park
    back=
    while IFS= read -r -t 10 -u 3 text; do
        text=${text%$'\r'}
        [ "$text" = "About $round fertig" ] && back=1 && break
        echo "$text"
    done
    check "About returns once the window is clicked away (round $round)" test -n "$back"
done
rest=$(tr -d '\r' <&3)
wait $pid
grep -v '^About.vbs:' <<< "$rest"
line=$(grep '^About.vbs:' <<< "$rest")
check "the script ends with its result line" test -n "$line"
read -r sp sf < <(sed -n 's/^About.vbs: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' <<< "$line")
passed=$((passed + ${sp:-0})) failed=$((failed + ${sf:-0}))
finish about.sh
