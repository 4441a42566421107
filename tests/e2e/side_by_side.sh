#!/usr/bin/env bash
# Both architectures' servers registered side by side in one WoW64 prefix (the 32-bit one in the
# WoW64 view): unregistering either leaves the other working, registering it again brings it back.
# usage: side_by_side.sh <build root>
set -u
build=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_of() { [ "$1" = i686 ] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64; }
regsvr() { "$(wine_of "$1")" regsvr32 /s ${2:-} "Z:$build/$1/NimbraForm.ocx"; }  # regsvr <arch> [/u]
passed=0 failed=0
expect() {  # expect <description> <architecture of the script host> <what Probe.vbs prints>
    local got
    got=$("$(wine_of "$2")" cscript //nologo "Z:$here/Probe.vbs" 2>&1 | tr -d '\r')
    if [ "$got" = "$3" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1: '$got', expected '$3'"; fi
}

for arch in x86_64 i686; do
    [ -f "$build/$arch/NimbraForm.ocx" ] || { echo "missing $build/$arch/NimbraForm.ocx"; exit 1; }
    regsvr "$arch"
done
for arch in x86_64 i686; do
    other=$([ "$arch" = i686 ] && echo x86_64 || echo i686)
    expect "both registered: the $arch script host" "$arch" geladen
    regsvr "$arch" /u
    expect "$arch unregistered: its script host" "$arch" "nicht registriert"
    expect "$arch unregistered: the $other script host" "$other" geladen
    regsvr "$arch"
    expect "$arch registered again" "$arch" geladen
done

echo "side_by_side.sh: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
