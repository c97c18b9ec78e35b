# shellcheck shell=bash
# Sourced by the benchmarks that time a real window: a private Xvfb display with no window
# manager and nothing else drawing (the checks' display fixture, tests/system/common/fixture.py,
# without its window manager) and, with BENCH_WINE=1, a Wine prefix of its own on it; exports
# their variables, ends every process of theirs at exit, and prints the machine the figures come
# from.
# Usage: [BENCH_WINE=1] source bench/private-display.sh
_bench_state=$(mktemp -d)
_bench_fixture=(/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/../tests/system/common/fixture.py")
_bench_fixtures=(display ${BENCH_WINE:+wine})
_bench_end() {
    local fixture
    for fixture in wine display; do "${_bench_fixture[@]}" stop "$fixture" "$_bench_state"; done
    rm -rf "$_bench_state"
}
trap _bench_end EXIT
for _fixture in "${_bench_fixtures[@]}"; do
    CONVERSIONE_NO_WINDOW_MANAGER=1 "${_bench_fixture[@]}" start "$_fixture" "$_bench_state" >/dev/null
done
while IFS= read -r -d '' _variable; do export "${_variable?}"; done < <("${_bench_fixture[@]}" run \
    "$_bench_state" "${_bench_fixtures[@]}" -- /usr/bin/python3 -c 'import os; print("\0".join(
    f"{k}={v}" for k, v in os.environ.items() if k in ("DISPLAY", "XDG_RUNTIME_DIR", "WINEPREFIX",
    "WINEDEBUG", "WINEDLLOVERRIDES")), end="\0")')
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "kernel $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
