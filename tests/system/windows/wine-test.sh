#!/bin/sh
# CTest's emulator for the Windows build's QtTest programs: runs one under Wine and shows its
# report, which goes through a file (under Wine a QtTest program's standard output is lost).
report=$(mktemp)
trap 'cat "$report"; rm -f "$report"' EXIT
wine "$@" -o "$report,txt"
