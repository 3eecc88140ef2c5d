#!/usr/bin/env bash
# The exe's figures under Wine (docs/performance.md): the file size and imported DLLs of
# RemoteControl.exe; its private memory after start; the CPU time it uses over 30 s idle
# while a simulated card answers its 65 ms poll; and the latency from a remote key press to
# the TV application's receipt of the command, median and worst over 50 presses.
#
#   bench/wine/wine_figures.sh [BUILD_WIN_DIR]     the cross build, build-win by default
#
# At the end, poll_load.exe does the same idle poll's platform work in native 64-bit code,
# which tells how much of the utility's CPU time is the emulation of 32-bit code where Wine
# runs that only under qemu.
#
# It uses the Wine end-to-end harness (e2e/): a fresh prefix under BUILD_WIN_DIR/wine-figures,
# the simulated card's driver with one GPIO card registered as a "Kavel KV100 Video Capture",
# and a virtual X display (started here when there is no DISPLAY). The application that
# receives the commands is key_latency.exe, which takes application 2's identity.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-build-win}" && pwd)
EXE=$BUILD/RemoteControl.exe
if [[ -z ${DISPLAY:-} ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD"
fi

RUN=$BUILD/wine-figures
LOGS=$RUN/logs
IDLE_SECONDS=30
SETTLE_SECONDS=5
PRESSES=50
RAW_KEY_1=1          # key 1 on a translated board ...
APP2_COMMAND=10001   # ... is application 2's command 10000 + 1
export WINEPREFIX=$RUN/prefix WINEDEBUG=-all
# shellcheck source=e2e/e2e_lib.sh
source "$ROOT/e2e/e2e_lib.sh"
choose_wine32_mode || {
    echo "wine_figures: 32-bit programs cannot run (scripts/install-deps.sh --wine)" >&2
    exit 1
}

finish() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
}
trap finish EXIT

# utime + stime of processes, in clock ticks.
cpu_ticks() {
    local pid total=0
    for pid in "$@"; do
        total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat")))
    done
    echo "$total"
}

# The processes of this prefix whose command line contains `name`.
prefix_processes() {
    local name=$1 environ pid
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        if grep -qa "$name" "/proc/$pid/cmdline" 2>/dev/null &&
            tr '\0' '\n' 2>/dev/null <"$environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
        fi
    done
}

percent() {
    awk -v ticks="$1" -v hz="$(getconf CLK_TCK)" -v s="$IDLE_SECONDS" \
        'BEGIN { printf "%.2f %% of one core (%.2f s)", 100 * ticks / hz / s, ticks / hz }'
}

echo "== RemoteControl.exe"
echo "size $(stat -c %s "$EXE") bytes"
echo "imports $(i686-w64-mingw32-objdump -p "$EXE" | awk '/DLL Name/ { printf "%s ", $3 }')"

echo "== fresh Wine prefix, the simulated card (32-bit programs: $WINE32_MODE)"
"$WINESERVER" -k >/dev/null 2>&1 || true
rm -rf "$RUN"
mkdir -p "$LOGS"
make_prefix
"$WINE64" "$CTL" hold >"$LOGS/keeper.out" 2>&1 &
ctl install "$(winepath_of "$WIN64_BUILD/rcsimcard.sys")"
ctl add 0 gpio 14
ctl register a-kv100 "Kavel KV100 Video Capture" 0
ctl add 1 gpio 14  # for poll_load.exe, unseen by the utility
start_utility figures
wait_for 30 eval '(($(counter 0 polls) > 0))'
sleep "$SETTLE_SECONDS"
# The Linux processes of the program: the loader that the launcher became, whichever way
# the 32-bit code runs.
mapfile -t utility < <(prefix_processes RemoteControl.exe)
echo "processes of the program: ${utility[*]}" >"$LOGS/processes.txt"
for pid in "${utility[@]}"; do
    tr '\0' ' ' <"/proc/$pid/cmdline" >>"$LOGS/processes.txt"
    echo >>"$LOGS/processes.txt"
done

echo "== after start"
wine32 "$BUILD/bench-wine/private_memory.exe" 0 >"$LOGS/memory.out" 2>&1 || true
tr -d '\r' <"$LOGS/memory.out" | awk '$1 == "committed-private" {
    printf "private memory %d KB committed private (Windows view)\n", $2 / 1024 }'
for pid in "${utility[@]}"; do
    awk '/^RssAnon/ { printf "the Linux process that runs it: %d KB anonymous resident\n", $2 }' \
        "/proc/$pid/status"
done

echo "== idle for $IDLE_SECONDS s"
mapfile -t servers < <(prefix_processes wineserver)
mapfile -t hosts < <(prefix_processes winedevice)
requests_before=$(counter 0 requests)
polls_before=$(counter 0 polls)
utility_before=$(cpu_ticks "${utility[@]}")
server_before=$(cpu_ticks "${servers[@]}")
host_before=$(cpu_ticks "${hosts[@]}")
sleep "$IDLE_SECONDS"
utility_after=$(cpu_ticks "${utility[@]}")
server_after=$(cpu_ticks "${servers[@]}")
host_after=$(cpu_ticks "${hosts[@]}")
polls=$(($(counter 0 polls) - polls_before))
requests=$(($(counter 0 requests) - requests_before))
echo "polls $polls, driver requests $requests ($(awk -v r="$requests" -v p="$polls" \
    'BEGIN { printf "%.2f", p ? r / p : 0 }') a poll)"
echo "CPU of the utility $(percent $((utility_after - utility_before)))"
echo "CPU of the wineserver meanwhile $(percent $((server_after - server_before)))"
echo "CPU of the driver's host meanwhile $(percent $((host_after - host_before)))"

echo "== key to command, $PRESSES presses"
"$WINE64" "$WIN64_BUILD/key_latency.exe" 0 "$RAW_KEY_1" "$APP2_COMMAND" "$PRESSES" \
    >"$LOGS/latency.out" 2>&1 || true
tr -d '\r' <"$LOGS/latency.out" | awk '
    /^(median|worst)/ { printf "%s %s ms\n", $1, $2 }
    /lost|cannot|no simulated/ { print }'
echo "(each latency: $LOGS/latency.out)"

echo "== the same idle poll in native 64-bit code (poll_load.exe), for comparison"
"$WINE64" "$WIN64_BUILD/poll_load.exe" 1 $((IDLE_SECONDS + 2 * SETTLE_SECONDS)) \
    >"$LOGS/poll_load.out" 2>&1 &
sleep "$SETTLE_SECONDS"
mapfile -t load < <(prefix_processes poll_load.exe)
load_polls_before=$(counter 1 polls)
load_before=$(cpu_ticks "${load[@]}")
sleep "$IDLE_SECONDS"
load_after=$(cpu_ticks "${load[@]}")
echo "polls $(($(counter 1 polls) - load_polls_before)), CPU $(percent $((load_after - load_before)))"

