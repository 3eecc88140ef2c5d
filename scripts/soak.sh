#!/usr/bin/env bash
# The soak test: a simulated week of idle polling with a handful of key presses
# (tests/soak/idle_week.scn). The trace must be the expected one, the run must end holding
# the events, COM references, timers and windows it held after start-up, and its peak
# memory must stay under 100 MB, since memory follows the events and not the polls.
# Prints the peak memory and the time taken. UPDATE=1 writes the expected trace instead.
#   scripts/soak.sh REMOTE_SIM
set -euo pipefail
remote_sim=$1
soak=$(cd "$(dirname "$0")/../tests/soak" && pwd)
limit_kb=$((100 * 1024))
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if [ ! -x /usr/bin/time ]; then
    echo "soak: /usr/bin/time is missing (scripts/install-deps.sh installs it)"
    exit 1
fi
/usr/bin/time -f "%M %e" -o "$out/usage" "$remote_sim" "$soak/idle_week.scn" >"$out/trace"
read -r peak_kb seconds <"$out/usage"
echo "soak: a simulated week in $seconds s, peak memory $((peak_kb / 1024)) MB ($peak_kb KB)"

if [ "${UPDATE:-0}" = 1 ]; then
    cp "$out/trace" "$soak/idle_week.trace"
    exit 0
fi
diff -u --label expected --label actual "$soak/idle_week.trace" "$out/trace"
# Each census line without its time: the first is taken after start-up, the last at the end.
mapfile -t census < <(awk '$2 == "census" { $1 = ""; print }' "$out/trace")
if [ "${#census[@]}" -lt 2 ] || [ "${census[0]}" != "${census[-1]}" ]; then
    echo "soak: the run ended holding${census[-1]:- nothing known}, not${census[0]:- ?}"
    exit 1
fi
if [ "$peak_kb" -ge "$limit_kb" ]; then
    echo "soak: peak memory $peak_kb KB is over $limit_kb KB"
    exit 1
fi
