#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window. Without a display the program itself
# says so, and what to do, and ends with status 1.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build run
build=${BUILD_DIR:-build/release}
cmake --preset release -B "$build"
cmake --build "$build"
exec "$build/conversione"
