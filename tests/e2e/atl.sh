#!/usr/bin/env bash
# xpForm in a plain C++ window, hosted by the platform's ATL control host (AtlHost.exe): no form, no
# extender, no ambient properties, size requests refused. The skin wraps the window, takes lib.sh's
# real_mouse, and its close button ends the program with exit code 0; nothing is reported on the way.
# usage: atl.sh <wine> <build folder>
. "$(dirname "$0")/lib.sh"

start_program AtlHost.exe --quit-after 40000
check "the skin wraps the window" find_form '^ATL-Fenster$'
real_mouse 80 50 50 "0 26 $sw $((sh - 26))"
# The close button, 21 pixels square, stands 6 pixels below the skin's top and 27 from its right edge.
read -r x y w h <<< "$(host_rect)"
xdotool mousemove $((x + w - 13)) $((y - 14)) click 1
check "the close button ends the program with exit code 0" ends_within 35
check "nothing was reported: $(cat "$reports" 2>/dev/null)" test ! -s "$reports"
finish atl.sh
