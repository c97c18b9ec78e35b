#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build run
build=${BUILD_DIR:-build/release}
cmake --preset release -B "$build"
cmake --build "$build"
program="$build/conversione"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: DISPLAY and WAYLAND_DISPLAY are both unset." >&2
    echo "Run this from a desktop session, or start a virtual one with: xvfb-run -a $program" >&2
    exit 1
fi
exec "$program"
