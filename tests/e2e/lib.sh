# What the end-to-end scripts share, sourced first. Their arguments: wine, the build folder, the
# samples folder, walk.sh's number of forms. The recording error handler reports to the scratch folder.
set -u
wine=$1 build=$2 samples=${3:-}
scratch=$build/test-scratch/$(basename "$0" .sh)-e2e${4:+-$4}
rm -rf "$scratch" && mkdir -p "$scratch"
passed=0 failed=0
win() { echo "Z:$1"; }
reports=$scratch/reports.txt events=$scratch/events.txt
export NIMBRA_REPORT_LOG=$(win "$reports")
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
finish() { echo "$1: $passed passed, $failed failed"; [ "$failed" -eq 0 ]; }
# poll <n> <command...>: runs it until it succeeds, n times 50 ms at most. Only
# for what X gives a shell no wait on: a window that moved, resized or went away.
poll() {
    local n=$1; shift
    for _ in $(seq "$n"); do "$@" && return 0; sleep 0.05; done
    return 1
}
until_true() { poll 100 "$@"; }
read -r sw sh < <(xdotool getdisplaygeometry)
# The pointer waits off every form: over a caption button it keeps the hover poll running.
park() { xdotool mousemove $((sw - 10)) $((sh - 14)); }
geom() {  # geom <prefix> <window>: sets <prefix>X, Y, W, H
    local X Y WIDTH HEIGHT SCREEN WINDOW shell
    shell=$(xdotool getwindowgeometry --shell "$2" 2>/dev/null) && [ -n "$shell" ] || return 1
    eval "$shell"
    printf -v "$1X" %s "$X"; printf -v "$1Y" %s "$Y"; printf -v "$1W" %s "$WIDTH"; printf -v "$1H" %s "$HEIGHT"
}
visible() { xdotool search --onlyvisible --name '.*' 2>/dev/null | sort; }
# start_program <program> <arguments...>: in the background (pid), its events written to $events,
# returning once its windows have settled: the program opens the --ready file then, a pipe read here.
start_program() {
    local program=$1; shift
    park
    rm -f "$scratch/ready" && mkfifo "$scratch/ready"
    started=$SECONDS
    "$wine" "$build/$program" --ready "$(win "$scratch/ready")" --events "$(win "$events")" "$@" > "$scratch/host.txt" 2>&1 &
    pid=$!
    timeout 30 cat "$scratch/ready" > /dev/null ||
        echo "the windows did not settle ($program $(kill -0 $pid 2>/dev/null && echo running || echo gone))"
}
# ends_within <s>: the program ends with exit code 0 within s seconds of its start.
ends_within() {
    wait "$pid"; local rc=$?
    [ $rc -eq 0 ] && [ $((SECONDS - started)) -lt "$1" ] || { echo "exit code $rc after $((SECONDS - started)) s"; false; }
}

# around <host rectangle>: where a normal skin lies around its host, 4 pixels of frame and 30
# of title (BorderStyle 2). Rectangles are "x y w h" on the screen.
around() {
    local x y w h
    read -r x y w h <<< "$1"
    echo "$((x - 4)) $((y - 30)) $((w + 8)) $((h + 34))"
}
# find_form <caption pattern>: sets host, and skin, the program's window lying around the host.
find_form() {
    host=$(timeout 10 xdotool search --all --sync --pid "$pid" --onlyvisible --name "$1" | head -n 1) skin=
    local want
    want=$(around "$(xrect "$host")") || return 1
    for w in $(xdotool search --all --pid "$pid" --onlyvisible --name '.*' 2>/dev/null); do
        [ "$w" != "$host" ] && [ "$(xrect "$w")" = "$want" ] && skin=$w
    done
    [ -n "$skin" ]
}
xrect() { geom R "$1" && echo "$RX $RY $RW $RH"; }
host_rect() { xrect "$host"; }  # mdi.sh has its own, and skin_at
skin_at() { [ "$(xrect "$skin")" = "$1" ]; }
# form_at <host rectangle> [maximised]: the host stands there, its skin around
# it; a maximised skin has a 26-pixel title and no frame.
form_at() {
    [ "$(host_rect)" = "$1" ] || return 1
    local x y w h
    read -r x y w h <<< "$1"
    if [ -n "${2:-}" ]; then skin_at "$x $((y - 26)) $w $((h + 26))"
    else skin_at "$(around "$1")"; fi
}

resizes() { grep -c '^Resize' "$events" 2>/dev/null; }
more_resizes() { [ "$(resizes)" -gt "$1" ]; }
# real_mouse <dx> <dy> <edge dx> <maximised host rectangle> [command run half way, the button held]:
# a title drag moves the form, the right edge changes its width at the release only, a double
# click on the title maximises it and another restores it.
real_mouse() {
    local x y w h ex ey seen
    read -r x y w h <<< "$(host_rect)"
    xdotool mousemove $((x + 60)) $((y - 15)) mousedown 1 mousemove $((x + 60 + $1 / 2)) $((y - 15 + $2 / 2))
    check "half way through a title drag the form is $(($1 / 2)), $(($2 / 2)) further" \
        until_true form_at "$((x + $1 / 2)) $((y + $2 / 2)) $w $h"
    "${@:5}"
    x=$((x + $1)) y=$((y + $2))
    xdotool mousemove $((x + 60)) $((y - 15)) mouseup 1
    park
    check "at the release it is $1, $2 further" until_true form_at "$x $y $w $h"
    # The press reads the cursor where the handler finds it: the pointer first
    # slides along the edge and goes on once the form has seen that (a Resize).
    ex=$((x + w + 2)) ey=$((y + 50)) seen=$(resizes)
    xdotool mousemove $ex $ey mousedown 1 mousemove $ex $((ey + 1))
    check "the edge drag's first move raises Resize" poll 100 more_resizes "$seen"
    seen=$(resizes)
    xdotool mousemove $((ex + $3 / 2)) $((ey + 1)) mousemove $((ex + $3)) $((ey + 1))
    # Once the form has seen the moves (a Resize again), the width must not have followed them.
    poll 100 more_resizes "$seen"
    check "during an edge drag the width stays ($w)" form_at "$x $y $w $h"
    xdotool mouseup 1
    park
    w=$((w + $3))
    check "at the release the form is $3 wider" until_true form_at "$x $y $w $h"
    xdotool mousemove $((x + 60)) $((y - 15)) click --repeat 2 --delay 80 1
    park
    check "a double click on the title maximises the form: $4" until_true form_at "$4" maximised
    read -r ex ey _ <<< "$4"
    xdotool mousemove $((ex + 60)) $((ey - 15)) click --repeat 2 --delay 80 1
    park
    check "another restores it" until_true form_at "$x $y $w $h"
}
