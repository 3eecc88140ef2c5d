#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its committed seeds.
#   run_fuzzer.sh FUZZER SEEDS WORKDIR SECONDS
# RC_FUZZ_SECONDS in the environment overrides SECONDS. New inputs go to WORKDIR/corpus,
# an input that breaks the target to WORKDIR/artifacts; the dictionary NAME.dict beside
# this script is used when there is one.
set -euo pipefail
fuzzer=$1
seeds=$2
work=$3
seconds=${RC_FUZZ_SECONDS:-$4}
name=$(basename "$seeds")
dict=$(dirname "$0")/$name.dict

mkdir -p "$work/corpus" "$work/artifacts"
options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=4096
         -print_final_stats=1 -artifact_prefix="$work/artifacts/")
if [[ -f $dict ]]; then
    options+=(-dict="$dict")
fi
exec "$fuzzer" "${options[@]}" "$work/corpus" "$seeds"
