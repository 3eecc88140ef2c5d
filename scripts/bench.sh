#!/usr/bin/env bash
# Measures the key poll's tick (docs/performance.md): builds the benchmarks without sanitizers
# (build-bench/, Release with debug information), runs Google Benchmark for nanoseconds,
# platform calls, driver requests and heap allocations per tick, then callgrind for the
# instructions of a tick above and below the platform seam. Not part of scripts/test.sh.
#   scripts/bench.sh [GOOGLE BENCHMARK OPTIONS]
set -euo pipefail
cd "$(dirname "$0")/.."

KINDS=(idle key_app9_gpio key_app9_i2c key_pointer key_shutdown_dialog key_profile)
SHORT=1000
LONG=2000

scripts/install-deps.sh --bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g
cmake --build build-bench -j2 --target tick-bench tick-profile

echo "== Google Benchmark (median of 5 repetitions)"
build-bench/bench/tick-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    "$@"

echo "== callgrind: instructions per tick in steady state ($LONG minus $SHORT ticks)"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for kind in "${KINDS[@]}"; do
    for ticks in $SHORT $LONG; do
        valgrind --tool=callgrind --collect-atstart=no --toggle-collect='OnKeyPollTick*' \
            --compress-strings=no --compress-pos=no --callgrind-out-file="$out/$kind-$ticks" \
            build-bench/bench/tick-profile "$kind" "$ticks" >/dev/null 2>&1
    done
    printf '%-20s %s\n' "$kind" "$(python3 scripts/callgrind_ticks.py "$out/$kind-$SHORT" $SHORT \
        "$out/$kind-$LONG" $LONG)"
done
