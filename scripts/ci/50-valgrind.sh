#!/usr/bin/env bash
# One GUI test, tst_requests (every handler, both conversions, real modal message boxes, the
# menu), under valgrind's memcheck: first on the offscreen platform the test suite uses, then in
# a real X window on a virtual display. Any memory error or definite leak fails the stage;
# scripts/ci/valgrind.supp names the few toolkit issues that are not ours.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
bash scripts/install-deps.sh build test display valgrind
build=build/release
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target tst_requests
test_binary=$build/tests/gui/tst_requests
logs=build/valgrind
mkdir -p "$logs"

memcheck() {
    local log=$1
    shift
    echo "-- memcheck $test_binary ($log)"
    if ! valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
        --errors-for-leak-kinds=definite --error-exitcode=99 --child-silent-after-fork=yes \
        --num-callers=40 --gen-suppressions=all --suppressions=scripts/ci/valgrind.supp \
        --log-file="$logs/$log" "$test_binary" "$@" >"$logs/$log.out" 2>&1; then
        cat "$logs/$log.out" "$logs/$log"
        echo "memcheck: errors, a definite leak or a failed test; see above" >&2
        return 1
    fi
    grep -E 'Totals:' "$logs/$log.out"
    grep -E 'definitely lost|ERROR SUMMARY' "$logs/$log" | sed 's/^==[0-9]*== */   /'
}

export LC_ALL=C.UTF-8 LANG=C.UTF-8
QT_QPA_PLATFORM=offscreen memcheck offscreen.log

# A virtual display for the X platform. No session bus runs here: "disabled:" says so, instead
# of letting libdbus fork an X11 auto-launcher in the middle of the test.
source scripts/lib/display.sh
start_display -screen 0 800x600x24
QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS=disabled: memcheck xcb.log
