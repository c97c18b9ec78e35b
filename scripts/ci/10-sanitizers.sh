#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
# The preset sets the build (build/sanitize) and the sanitizers' options for the tests.
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
