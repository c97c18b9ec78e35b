#!/usr/bin/env bash
# Message-box memory benchmark, run by hand (not in CI): shows BOXES message boxes (default
# 6000) through the program's message-box service on its real window under a private Xvfb
# display, first with Qt's default pixmap cache (10 MiB), then with a 64 KiB one so that the
# cache is full from the start, and prints the heap in use every 500 boxes and the bytes each
# box left behind after the first 1000 (warm-up).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build display
build=build/messageboxes
cmake -S bench/messageboxes -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build"

source bench/private-display.sh

boxes=${BOXES:-6000}
for cache in default 64; do
    args=("$boxes")
    [ "$cache" = default ] || args+=("$cache")
    echo "-- pixmap cache: $cache"
    "$build/message_boxes" "${args[@]}" | tee "$build/heap-$cache.csv" |
        awk -F, -v n="$boxes" 'NR > 1 { print } $1 == 1000 { w = $2 } $1 == n { e = $2 }
            END { printf "after warm-up: %.0f bytes a box\n", (e - w) / (n - 1000) }'
done
