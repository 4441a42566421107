#!/usr/bin/env bash
# NimbraHost from the outside, as ./nimbra demo and a user run it: form files good and bad,
# design-mode saving, run mode. usage: host.sh <wine> <build folder> <samples folder>
. "$(dirname "$0")/lib.sh"
host() { timeout 60 "$wine" "$build/NimbraHost.exe" "$@"; }

# Saving what NimbraHost saved changes nothing, .frx included: what it writes, it reads back unchanged.
mkdir -p "$scratch/eins" "$scratch/zwei"
host --design --save "$(win "$scratch/eins/Erst.frm")" "$(win "$samples/Kunden.frm")" > /dev/null
host --design --save "$(win "$scratch/zwei/Erst.frm")" "$(win "$scratch/eins/Erst.frm")" > /dev/null
check "a second save is byte for byte the first" diff -r "$scratch/eins" "$scratch/zwei"

# A property changed in design mode marks the form modified and lands in the file.
out=$(host --design --set ColorStyle=2 --save "$(win "$scratch/Neu.frm")" "$(win "$scratch/eins/Erst.frm")")
check "a change marks the form modified" grep -q 'geändert' <<< "$out"
check "the changed value is saved" grep -q 'ColorStyle      =   2' "$scratch/Neu.frm"

# Bad form files: file, line and reason, exit code 2, never a crash or a hang: garbage
# names its first line, a truncated file the line of the block left open, a missing .frx that file.
head -c 1048576 /dev/urandom > "$scratch/Müll.frm"
head -n 20 "$samples/Kunden.frm" > "$scratch/Kurz.frm"
mkdir -p "$scratch/ohne" && cp "$samples/Kunden.frm" "$scratch/ohne/OhneBild.frm"
for bad in "Müll.frm|Müll.frm, Zeile 1" "Kurz.frm|Kurz.frm, Zeile" "ohne/OhneBild.frm|Kunden.frx"; do
    err=$(host --design --quit-after 3000 "$(win "$scratch/${bad%%|*}")" 2>&1 >/dev/null); rc=$?
    check "${bad%%|*} is refused with code 2 ($rc)" test $rc -eq 2
    check "naming ${bad#*|}: $err" grep -q "${bad#*|}" <<< "$err"
done

# Run mode: the form opens, runs and ends by itself.
host --quit-after 1500 "$(win "$samples/Einfach.frm")"; rc=$?
check "run mode ends cleanly ($rc)" test $rc -eq 0
check "usage errors are code 1" test "$(host --nonsense >/dev/null 2>&1; echo $?)" -eq 1

finish host.sh
