#!/usr/bin/env bash
# Both architectures' servers registered side by side in one WoW64 prefix:
# the 32-bit one in the WoW64 view, the 64-bit one in the native view.
# Unregistering either leaves the other working; registering it again
# brings it back. usage: side_by_side.sh <build root>
set -u
build=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_of() { [ "$1" = i686 ] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64; }
regsvr() {  # regsvr <arch> [/u]
    "$(wine_of "$1")" regsvr32 /s ${2:-} "Z:$build/$1/NimbraForm.ocx"
}
probe() { "$(wine_of "$1")" cscript //nologo "Z:$here/Probe.vbs" 2>&1 | tr -d '\r'; }
passed=0 failed=0
check() {  # check <description> <actual> <expected>
    if [ "$2" = "$3" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1: '$2', expected '$3'"; fi
}
other() { [ "$1" = i686 ] && echo x86_64 || echo i686; }

for arch in x86_64 i686; do
    [ -f "$build/$arch/NimbraForm.ocx" ] || { echo "missing $build/$arch/NimbraForm.ocx"; exit 1; }
    regsvr "$arch"
done
check "64-bit script host, both registered" "$(probe x86_64)" geladen
check "32-bit script host, both registered" "$(probe i686)" geladen
for arch in x86_64 i686; do
    regsvr "$arch" /u
    check "$arch unregistered: its script host" "$(probe "$arch")" "nicht registriert"
    check "$arch unregistered: the $(other "$arch") script host" "$(probe "$(other "$arch")")" geladen
    regsvr "$arch"
    check "$arch registered again" "$(probe "$arch")" geladen
done

echo "side_by_side.sh: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
