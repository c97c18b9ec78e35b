#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, starting from its seed corpus. Any crash, sanitizer
# report, broken invariant, leak or hang fails the stage. FUZZ_SECONDS sets the time per target.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
bash scripts/install-deps.sh build fuzz
seconds=${FUZZ_SECONDS:-20}
build=build/fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer
rm -rf "$build/work" "$build/artifacts"
mkdir -p "$build/artifacts"
summary=()
status=0
for corpus in fuzz/corpus/*/; do
    target=$(basename "$corpus")
    # New inputs go to a scratch copy; the committed corpus stays as it is.
    work="$build/work/$target"
    mkdir -p "$work"
    log="$build/work/$target.log"
    echo "-- $target: $seconds s"
    if "$build/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        -dict=fuzz/numbers.dict -artifact_prefix="$build/artifacts/$target-" \
        -print_final_stats=1 "$work" "$corpus" >"$log" 2>&1; then
        summary+=("$target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log")")
    else
        status=1
        summary+=("$target: FAILED, see below")
        tail -n 60 "$log"
        ls -l "$build/artifacts"
    fi
done
printf '%s\n' "${summary[@]}"
exit $status
