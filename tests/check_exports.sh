#!/bin/sh
# Checks that a built server exports exactly the four entry points, undecorated.
# usage: check_exports.sh <module>
set -eu
names=$(x86_64-w64-mingw32-objdump -p "$1" |
  awk '/Ordinal\/Name Pointer/ { on = 1; next } on && /^\t\[/ { print $3 } on && /^$/ { exit }' | tr '\n' ' ')
expected="DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer "
if [ "$names" != "$expected" ]; then
  echo "exports of $1: '$names', expected '$expected'"
  exit 1
fi
echo "exports of $1: $names"
