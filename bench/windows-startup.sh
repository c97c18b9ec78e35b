#!/usr/bin/env bash
# Size and start-up of the Windows program under Wine, run by hand (not in CI) inside a Debian 13
# root, where its Qt for MinGW is built: prints the sizes of build/windows/conversione.exe and of
# the portable zip beside it (aim: the zip under 8 MB), then times the program's start-up under
# Wine against the start-up baselines of bench/startup/, cross-built as the program is (same Qt,
# toolchain and link options, Windows GUI programs, stripped), in alternating rounds on a private
# Xvfb display with no window manager (bench/windows-startup/compare_wine.py). One Wine prefix and
# one wineserver kept running serve the whole run, so that every start pays the same for Wine.
# The program comes from `bash scripts/windows.sh`, which this script does not run; run this one
# right after it in the same tree, so that both find the same cached Qt build (build-qt.sh builds
# it again, for about 35 minutes, when its options have changed since). ROUNDS sets
# the number of rounds (default 15); the raw runs are kept in build/windows-bench/runs.jsonl.
# Exit status 1 when an aim is missed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

fail() {
    echo "windows-startup: $*" >&2
    exit 1
}

# shellcheck source=/dev/null # the running system's release, not a file of the tree
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ "$codename" = trixie ] \
    || fail "run inside a Debian 13 root, where the program's Qt for MinGW is built"
exe=build/windows/conversione.exe
[ -f "$exe" ] || fail "no $exe: make it first with bash scripts/windows.sh"
zip=
for f in build/windows/Conversione-*-windows-x64.zip; do
    if [ -f "$f" ]; then zip=$f; fi
done

bash scripts/install-deps.sh windows icons display bench build
qt=$(bash scripts/build-qt.sh mingw | tail -n 1)
bench=build/windows-bench
# Windows GUI programs, as the program is; a console program starts differently.
cmake -S bench/startup -B "$bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_EXE_LINKER_FLAGS='-static -Wl,--no-insert-timestamp' -DCMAKE_WIN32_EXECUTABLE=ON \
    >/dev/null
cmake --build "$bench"
mkdir -p "$bench/stripped"
for name in baseline_bare baseline_widgets baseline_widgets_fonts; do
    x86_64-w64-mingw32-strip -o "$bench/stripped/$name.exe" "$bench/$name.exe"
done
# The same widget set as a Linux program with the same Qt version, to show what Wine adds.
cmake -S bench/startup -B "$bench/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$bench/linux" --target baseline_widgets
# A copy, which a rebuild of build/windows/ during the run cannot take away.
cp "$exe" "$bench/conversione.exe"

status=0
print_size() {
    awk -v b="$(stat -c %s "$1")" -v f="$1" \
        'BEGIN { printf "%-50s %9d bytes = %5.2f MB = %5.2f MiB\n", f, b, b / 1e6, b / 1048576 }'
}
echo
print_size "$exe"
print_size "$bench/stripped/baseline_widgets.exe"
if [ -n "$zip" ]; then
    print_size "$zip"
    if [ "$(stat -c %s "$zip")" -lt 8000000 ]; then
        echo "zip: aim < 8 MB (8,000,000 bytes): met"
    else
        echo "zip: aim < 8 MB (8,000,000 bytes): MISSED"
        status=1
    fi
    python3 -m zipfile -l "$zip"
else
    echo "no build/windows/Conversione-*-windows-x64.zip: its size is not measured"
fi
echo

BENCH_WINE=1 source bench/private-display.sh
echo "$(wine --version), Qt for MinGW in $qt," \
    "$(x86_64-w64-mingw32-g++-posix --version | head -n 1)"
# Kept running, with Wine's own processes (services, explorer, ...), until the end.
wineserver -p

/usr/bin/python3 bench/windows-startup/compare_wine.py --rounds "${ROUNDS:-15}" \
    --program "$bench/conversione.exe" --bare "$bench/stripped/baseline_bare.exe" \
    --widgets "$bench/stripped/baseline_widgets.exe" \
    --widgets-fonts "$bench/stripped/baseline_widgets_fonts.exe" \
    --linux-widgets "$bench/linux/baseline_widgets" --raw "$bench/runs.jsonl" || status=1

# Wine's own processes (the server, services, explorer, ...) serve every program of the prefix and
# are in none of the figures above; their proportional share of memory (shared pages divided
# among the processes that map them).
kib=0
count=0
for dir in /proc/[0-9]*; do
    if tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        pss=$(awk '/^Pss:/ { print $2 }' "$dir/smaps_rollup" 2>/dev/null || true)
        kib=$((kib + ${pss:-0}))
        count=$((count + 1))
    fi
done
echo "Wine's own processes of the prefix: $count, proportional set size $((kib / 1024)) MiB"
[ "$status" -eq 0 ] || fail "an aim was missed (see above)"
