#!/usr/bin/env bash
# A script calls the control's About twice; each time the modal about window is
# waited for and clicked away with the real mouse, as a user would. Passes when
# the window showed at its size each time and the script's own checks passed
# (About.vbs runs with Check.vbs in front of it).
# usage: about.sh <wine> <script folder> <scratch folder>
set -u
wine=$1 script=$3/About.vbs
cat "$2/Check.vbs" "$2/About.vbs" > "$script"
passed=0 failed=0
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
out=$3/about.out
timeout 90 "$wine" cscript //nologo "Z:$script" > "$out" 2>&1 &
pid=$!
for round in 1 2; do
    # The window itself is waited for (30 s at most); the click lands below the
    # links, where only the window is, and the pointer moves out of the way.
    id=$(timeout 30 xdotool search --sync --onlyvisible --name '^Nimbra About$' 2>/dev/null | head -n 1)
    check "the about window appears (round $round)" test -n "$id"
    [ -n "$id" ] || break
    eval "$(xdotool getwindowgeometry --shell "$id")"
    check "it is 400x230 (${WIDTH}x$HEIGHT)" test "$WIDTH" = 400 -a "$HEIGHT" = 230
    xdotool mousemove $((X + 200)) $((Y + 215)) click 1 mousemove 1270 1010
    # Gone before the next round looks for a window (10 s at most).
    for _ in $(seq 100); do xdotool search --onlyvisible --name '^Nimbra About$' > /dev/null || break; sleep 0.1; done
done
wait $pid
tr -d '\r' < "$out" | grep -v '^About.vbs:'
line=$(tr -d '\r' < "$out" | grep '^About.vbs:')
check "the script ends with its result line" test -n "$line"
read -r sp sf < <(sed -n 's/^About.vbs: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' <<< "$line")
echo "about.sh: $((passed + ${sp:-0})) passed, $((failed + ${sf:-0})) failed"
