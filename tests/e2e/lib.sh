# What the end-to-end scripts share; sourced. The caller sets wine and build
# where it starts NimbraHost.
passed=0 failed=0
win() { echo "Z:$1"; }
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
finish() {  # finish <script name>: the closing line ctest looks for, and the exit code
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
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
# start_program <scratch folder> <program> <arguments...>: one of our programs
# (NimbraHost.exe, AtlHost.exe) in the background (its process in pid),
# returning once its windows have settled. It opens the --ready file then;
# read as a pipe, the file waits for exactly that.
start_program() {
    local dir=$1 program=$2; shift 2
    park
    rm -f "$dir/ready" && mkfifo "$dir/ready"
    "$wine" "$build/$program" --ready "$(win "$dir/ready")" "$@" > "$dir/host.txt" 2>&1 &
    pid=$!
    timeout 30 cat "$dir/ready" > /dev/null ||
        echo "the windows did not settle ($program $(kill -0 $pid 2>/dev/null && echo running || echo gone))"
}
start_host() { local dir=$1; shift; start_program "$dir" NimbraHost.exe "$@"; }
