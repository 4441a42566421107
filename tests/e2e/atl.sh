#!/usr/bin/env bash
# xpForm in a plain C++ window, hosted by the platform's ATL control host
# (AtlHost.exe): no form, no extender, no ambient properties, size requests
# refused. Under the real mouse the skin wraps the window, moves it, resizes
# it at the release, maximises and restores it, and its close button ends the
# program with exit code 0; nothing is reported on the way.
# usage: atl.sh <wine> <build folder>
set -u
wine=$1 build=$2
scratch=$build/test-scratch/atl-e2e
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"

reports=$scratch/reports.txt events=$scratch/events.txt
export NIMBRA_REPORT_LOG=$(win "$reports")
start_program "$scratch" AtlHost.exe --quit-after 40000 --events "$(win "$events")"
check "the skin wraps the window" find_form '^ATL-Fenster$'
real_mouse 80 50 50 "0 26 $sw $((sh - 26))"
click_close
check "the close button ends the program with exit code 0" ends_within 35
check "nothing was reported" test ! -s "$reports"
[ -s "$reports" ] && cat "$reports"
finish atl.sh
