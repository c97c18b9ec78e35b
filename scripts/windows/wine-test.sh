#!/usr/bin/env bash
# CTest's emulator for the Windows build's tests: runs one QtTest program under Wine and shows
# what it reported. Under Wine a QtTest program's own standard output is lost, so the report
# goes through a file.
# Usage: scripts/windows/wine-test.sh TEST.exe [ARGUMENTS...]
set -uo pipefail
report=$(mktemp)
trap 'rm -f "$report"' EXIT
wine "$@" -o "$report,txt"
status=$?
cat "$report"
exit "$status"
