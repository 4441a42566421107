#!/usr/bin/env bash
# NimbraHost from the outside, as ./nimbra demo and a user run it: form files
# good and bad, design-mode saving, run mode. Needs the registered OCX, a
# display and WINEPREFIX. usage: host.sh <wine> <build folder> <samples folder>
# (wine64 and the x86_64 build, or the 32-bit wine and the i686 build).
set -u
wine=$1 build=$2 samples=$3
scratch=$build/test-scratch/host-e2e
rm -rf "$scratch" && mkdir -p "$scratch"
host() { timeout 60 "$wine" "$build/NimbraHost.exe" "$@"; }
win() { echo "Z:$1"; }
passed=0 failed=0
check() {  # check <description> <command...>
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

# Saving twice under the same name changes nothing: what NimbraHost writes, it reads back unchanged.
cp "$samples/Kunden.frm" "$samples/Kunden.frx" "$scratch/"
host --design --save "$(win "$scratch/Erst.frm")" "$(win "$scratch/Kunden.frm")" > /dev/null
cp "$scratch/Erst.frm" "$scratch/Erst.orig.frm"; cp "$scratch/Erst.frx" "$scratch/Erst.orig.frx"
host --design --save "$(win "$scratch/Erst.frm")" "$(win "$scratch/Erst.frm")" > /dev/null
check "second save is byte for byte the first" cmp -s "$scratch/Erst.frm" "$scratch/Erst.orig.frm"
check "the .frx too" cmp -s "$scratch/Erst.frx" "$scratch/Erst.orig.frx"
check "the control's Transparency is kept clamped" grep -q 'Transparency    =   99' "$scratch/Erst.frm"
check "code after the form survives" grep -q 'Private Sub Command1_Click()' "$scratch/Erst.frm"

# A property changed in design mode marks the form modified and lands in the file.
out=$(host --design --set ColorStyle=2 --save "$(win "$scratch/Neu.frm")" "$(win "$scratch/Erst.frm")")
check "a change marks the form modified" grep -q 'geändert' <<< "$out"
check "the changed value is saved" grep -q 'ColorStyle      =   2' "$scratch/Neu.frm"

# Bad form files: file, line and reason, exit code 2, never a crash or a hang.
head -c 1048576 /dev/urandom > "$scratch/Müll.frm"
head -n 20 "$samples/Kunden.frm" > "$scratch/Kurz.frm"
mkdir -p "$scratch/ohne" && cp "$samples/Kunden.frm" "$scratch/ohne/OhneBild.frm"
# Each file with what its message names: garbage its first line, a truncated
# file the line of the block left open, a missing .frx that file.
for bad in "Müll.frm|Müll.frm, Zeile 1" "Kurz.frm|Kurz.frm, Zeile" "ohne/OhneBild.frm|Kunden.frx"; do
    err=$(host --design --quit-after 3000 "$(win "$scratch/${bad%%|*}")" 2>&1 >/dev/null); rc=$?
    check "${bad%%|*} is refused with code 2 ($rc)" test $rc -eq 2
    check "naming ${bad#*|}: $err" grep -q "${bad#*|}" <<< "$err"
done
sed 's/Transparency    =   200/Transparency    =   300/' "$samples/Kunden.frm" > "$scratch/Zuviel.frm"
cp "$samples/Kunden.frx" "$scratch/Zuviel.frx"
err=$(host --design --save "$(win "$scratch/Zuviel2.frm")" "$(win "$scratch/Zuviel.frm")" 2>&1 >/dev/null); rc=$?
check "a stored Transparency of 300 fails the control's load ($rc)" test $rc -eq 3
check "and the container says which control: $err" grep -q 'xpForm1' <<< "$err"
check "the control's block is kept as it was" grep -q 'Transparency    =   300' "$scratch/Zuviel2.frm"

# Run mode: the form opens, runs and ends by itself.
host --events "$(win "$scratch/events.txt")" --quit-after 1500 "$(win "$samples/Einfach.frm")"; rc=$?
check "run mode ends cleanly ($rc)" test $rc -eq 0
# Two running forms, each wrapped by its own skin window: an untitled window whose
# rectangle is the host's grown by the frame (4 pixels) and the title bar (30).
host --quit-after 2500 --windows "$(win "$scratch/windows.txt")" \
    "$(win "$samples/Einfach.frm")" "$(win "$samples/Kunden.frm")" > /dev/null
wrapped=$(tr -d '\r' < "$scratch/windows.txt" | awk -F'|' '
    $1 != "" && NF == 2 { hosts[$2] = 1 }
    $1 == "" && NF == 2 { skins[$2] = 1 }
    END {
        n = 0
        for (h in hosts) {
            split(h, r, " ")
            if (((r[1] - 4) " " (r[2] - 30) " " (r[3] + 4) " " (r[4] + 4)) in skins) n++
        }
        print n
    }')
check "each of the two running forms has its own skin around it ($wrapped)" test "$wrapped" = 2
check "usage errors are code 1" test "$(host --nonsense >/dev/null 2>&1; echo $?)" -eq 1

# Real clicks on the caption buttons. Where the skin lies comes from a first
# run; the buttons stand 6 pixels below its top, 21 pixels square, the close
# button 27 pixels from its right edge and the maximise button 50.
host --quit-after 1500 --windows "$(win "$scratch/blau.txt")" "$(win "$samples/Blau.frm")" > /dev/null
read -r right top < <(tr -d '\r' < "$scratch/blau.txt" | awk -F'|' '$1 == "" { split($2, r, " "); print r[3], r[2] }')
click_at() {  # click_at <x> <y> <events file> <host arguments...>: clicks once the form is up
    local x=$1 y=$2 events=$3; shift 3
    # NimbraHost opens the --ready file once its forms have settled; as a pipe,
    # reading it waits for exactly that (30 s at most).
    rm -f "$scratch/ready" && mkfifo "$scratch/ready"
    # The pointer waits off every form: over a caption button it keeps the
    # hover poll running, and the forms would never settle.
    xdotool mousemove 1270 1010
    host --events "$(win "$events")" --ready "$(win "$scratch/ready")" "$@" "$(win "$samples/Blau.frm")" > /dev/null &
    local pid=$!
    timeout 30 cat "$scratch/ready" > /dev/null ||
        echo "the form did not settle (host $(kill -0 $pid 2>/dev/null && echo running || echo gone))"
    # X delivers the click before the move away, in this order.
    xdotool mousemove "$x" "$y" click 1 mousemove 1270 1010
    wait $pid
}
start=$(date +%s)
click_at $((right - 27 + 10)) $((top + 16)) "$scratch/close.txt" --quit-after 10000; rc=$?
check "a click on close ends the form before its time ($rc, $(( $(date +%s) - start )) s)" \
    test $rc -eq 0 -a $(( $(date +%s) - start )) -lt 9
check "and raised CloseButtonClicked" grep -q '^CloseButtonClicked Cancel=False' "$scratch/close.txt"
start=$(date +%s)
click_at $((right - 27 + 10)) $((top + 16)) "$scratch/kept.txt" --cancel CloseButtonClicked --quit-after 5000
check "a cancelled close keeps the form until its time" test $(( $(date +%s) - start )) -ge 5
check "the host's answer came back" grep -q '^CloseButtonClicked Cancel=False -> True' "$scratch/kept.txt"
click_at $((right - 50 + 10)) $((top + 16)) "$scratch/max.txt" --quit-after 5000 \
    --windows "$(win "$scratch/max-windows.txt")"
check "a click on maximise raised MaxButtonClicked" grep -q '^MaxButtonClicked Cancel=False' "$scratch/max.txt"
check "and the host lies under the lower title bar across the screen" \
    grep -q "^Blau (cXPBlue)|0 26 " <(tr -d '\r' < "$scratch/max-windows.txt")

echo "host.sh: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
