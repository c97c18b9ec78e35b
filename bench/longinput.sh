#!/usr/bin/env bash
# Long-input benchmark, run by hand (not in CI): a 10 MB paste into the real window and the
# input box full and idle, on a private Xvfb display. Prints one JSON line per round and the
# medians: time from Ctrl+V to the refusal box, peak resident memory, idle CPU with the box
# empty and full, time from Enter to the answer with the box full. ROUNDS sets the number of
# rounds (default 5), PASTE the size of the paste in characters (default 10,000,000), SHOTS a
# folder for screenshots of the first round.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build display bench
build=build/longinput
cmake -S . -B "$build/program" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/program" --target conversione

source bench/private-display.sh

/usr/bin/python3 bench/longinput/measure.py --rounds "${ROUNDS:-5}" --paste "${PASTE:-10000000}" \
    ${SHOTS:+--shots "$SHOTS"} "$build/program/conversione"
