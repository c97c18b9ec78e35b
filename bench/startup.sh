#!/usr/bin/env bash
# Start-up benchmark, run by hand (not in CI): time from exec to the window mapped and first
# painted, and peak resident memory, for the program and two baselines built here (a bare Qt
# window, and the program's widget set with no logic; a third, that widget set with the program's
# fonts, tells their cost apart), in alternating rounds on a private Xvfb display. Also runs variants of the program with parts of Qt's start-up switched off, to see
# what trimming them would buy. ROUNDS sets the number of rounds (default 15); the raw runs are
# kept in build/startup/runs.jsonl. Exit status 1 when the program misses its goal.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build display bench
build=build/startup
cmake -S . -B "$build/program" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/program" --target conversione
cmake -S bench/startup -B "$build/baselines" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/baselines"

source bench/private-display.sh

/usr/bin/python3 bench/startup/compare.py --rounds "${ROUNDS:-15}" \
    --program "$build/program/conversione" \
    --bare "$build/baselines/baseline_bare" --widgets "$build/baselines/baseline_widgets" \
    --widgets-fonts "$build/baselines/baseline_widgets_fonts" \
    --trimming "$build/trimmed" --raw "$build/runs.jsonl"
