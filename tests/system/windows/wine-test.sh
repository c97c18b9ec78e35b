#!/bin/sh
# CTest's emulator for the Windows build's QtTest programs: runs one under Wine and shows its
# report, which goes through a file (under Wine a QtTest program's standard output is lost).
report=$(mktemp)
wine "$@" -o "$report,txt"
status=$?
cat "$report"
rm -f "$report"
exit $status
