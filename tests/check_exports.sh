#!/bin/sh
# A built server is a DLL of its architecture exporting exactly the four entry
# points, undecorated. usage: check_exports.sh <module> <i686|x86_64>
set -eu
format=$(x86_64-w64-mingw32-objdump -f "$1" | sed -n 's/.*file format //p')
names=$(x86_64-w64-mingw32-objdump -p "$1" |
  awk '/Ordinal\/Name Pointer/ { on = 1; next } on && /^\t\[/ { print $3 } on && /^$/ { exit }' | tr '\n' ' ')
expected="$([ "$2" = i686 ] && echo pei-i386 || echo pei-x86-64):"
expected="$expected DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer "
[ "$format: $names" = "$expected" ] || { echo "$1 is '$format: $names', expected '$expected'"; exit 1; }
echo "$1: $format: $names"
