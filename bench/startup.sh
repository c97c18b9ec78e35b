#!/usr/bin/env bash
# Start-up benchmark, run by hand (not in CI): time from exec to the window mapped and first
# painted, and peak resident memory, for the program and two baselines built here (a bare Qt
# window, and the program's widget set with no logic; a third, that widget set with the program's
# fonts, tells their cost apart), in alternating rounds on a private Xvfb display. Also runs variants of the program with parts of Qt's start-up switched off, to see
# what trimming them would buy. ROUNDS sets the number of rounds (default 15); the raw runs are
# kept in build/startup/runs.jsonl. Exit status 1 when the program misses its goal.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build display startup
build=build/startup
cmake -S . -B "$build/program" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build/program" --target conversione
cmake -S bench/startup -B "$build/baselines" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/baselines"

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
    "kernel $(uname -r)"
/usr/bin/python3 bench/startup/compare.py --rounds "${ROUNDS:-15}" \
    --program "$build/program/conversione" \
    --bare "$build/baselines/baseline_bare" --widgets "$build/baselines/baseline_widgets" \
    --widgets-fonts "$build/baselines/baseline_widgets_fonts" \
    --trimming "$build/trimmed" --raw "$build/runs.jsonl"
