#!/usr/bin/env bash
# Long-input benchmark, run by hand (not in CI): a 10 MB paste into the real window and the
# input box full and idle, on a private Xvfb display. Prints one JSON line per round and the
# medians: time from Ctrl+V to the refusal box, peak resident memory, idle CPU with the box
# empty and full, time from Enter to the answer with the box full. ROUNDS sets the number of
# rounds (default 5), PASTE the size of the paste in characters (default 10,000,000), SHOTS a
# folder for screenshots of the first round.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build display longinput
build=build/longinput
cmake -S . -B "$build/program" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/program" --target conversione

# A display of our own, with no window manager and nothing else drawing.
mkdir -p "$build"
exec 3>"$build/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
runtime=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 50); do [ -s "$build/display" ] && break; sleep 0.1; done
exec 3>&-
export DISPLAY=:$(head -n 1 "$build/display")
export XDG_RUNTIME_DIR=$runtime

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "kernel $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
/usr/bin/python3 bench/longinput/measure.py --rounds "${ROUNDS:-5}" --paste "${PASTE:-10000000}" \
    ${SHOTS:+--shots "$SHOTS"} "$build/program/conversione"
