#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=build/sanitize
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCONVERSIONE_SANITIZE=ON
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/ci/lsan.supp:print_suppressions=0
ctest --test-dir "$build" --output-on-failure
