#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs them: medians over 10 repetitions, then the
# ratios to std::to_chars / std::from_chars and the goals. Run by hand, not in CI; the machine
# is shared, so compare ratios from one run rather than times from different runs.
# Extra arguments go to Google Benchmark, e.g. --benchmark_filter=binaryValue
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build bench
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCONVERSIONE_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target bench_conversions
exec "$build/bench/bench_conversions" --benchmark_repetitions=10 --benchmark_min_time=0.2 \
    --benchmark_report_aggregates_only=true "$@"
