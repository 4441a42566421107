#!/bin/sh
# Checks that a built server is a DLL for its architecture and exports exactly
# the four entry points, undecorated.
# usage: check_exports.sh <module> <i686|x86_64>
set -eu
format=$(x86_64-w64-mingw32-objdump -f "$1" | sed -n 's/.*file format //p')
expected_format=$([ "$2" = i686 ] && echo pei-i386 || echo pei-x86-64)
if [ "$format" != "$expected_format" ]; then
  echo "$1 is $format, expected $expected_format"
  exit 1
fi
names=$(x86_64-w64-mingw32-objdump -p "$1" |
  awk '/Ordinal\/Name Pointer/ { on = 1; next } on && /^\t\[/ { print $3 } on && /^$/ { exit }' | tr '\n' ' ')
expected="DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer "
if [ "$names" != "$expected" ]; then
  echo "exports of $1: '$names', expected '$expected'"
  exit 1
fi
echo "$1 ($format) exports: $names"
