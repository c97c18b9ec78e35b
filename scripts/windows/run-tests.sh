#!/usr/bin/env bash
# Runs the Windows build's test suite under Wine, on Qt's real Windows platform, on a private X
# display with a window manager and a Wine prefix of its own.
# Usage: scripts/windows/run-tests.sh BUILD_DIR [CTEST_ARGS...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build=${1:?usage: scripts/windows/run-tests.sh BUILD_DIR [CTEST_ARGS...]}
shift
source "$here/../lib/display.sh"
source "$here/wine.sh"
wine_session
# One test at a time: each one's window must hold the keyboard focus of the one display.
ctest --test-dir "$build" --output-on-failure "$@"
