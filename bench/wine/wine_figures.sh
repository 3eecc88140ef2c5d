#!/usr/bin/env bash
# The exe's figures under Wine (docs/performance.md): the file size and imported DLLs of
# RemoteControl.exe, its private memory after start, and the CPU time it uses over 30 s idle.
#
#   bench/wine/wine_figures.sh [BUILD_WIN_DIR]     the cross build, build-win by default
#
# The program runs in a fresh Wine prefix under BUILD_WIN_DIR/wine-figures, on a virtual X
# display (the script starts xvfb-run itself when there is no DISPLAY), with the smoke test's
# stand-in capture filter registered as a listed board, so that it finds a receiver and its
# 65 ms key poll runs. The stand-in has no driver behind it: each poll finds no device handle
# and sends no request. The Wine launcher's output goes to files, never to a pipe.
set -euo pipefail

build=$(cd "${1:-build-win}" && pwd)
if [[ -z ${DISPLAY:-} ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi

exe=$build/RemoteControl.exe
work=$build/wine-figures
idle_seconds=30
settle_seconds=5
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

winepath_of() {
    echo "Z:${1//\//\\}"
}

# utime + stime of a process, in clock ticks.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# The wineserver of this prefix: the one process of that name with our prefix in its
# environment.
prefix_wineserver() {
    local environ pid
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        if grep -qa wineserver "/proc/$pid/cmdline" 2>/dev/null &&
            tr '\0' '\n' <"$environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}

echo "== RemoteControl.exe"
echo "size $(stat -c %s "$exe") bytes"
echo "imports $(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name/ { printf "%s ", $3 }')"

echo "== fresh Wine prefix, stand-in card (about half a minute)"
(timeout 240 wine wineboot -i >"$work/wineboot.log" 2>&1) 2>>"$work/wineboot.log" || true
wineserver -k || true
wineserver -w
filter_class='{5B1C7E42-9A3D-4F61-8C2E-7D4A90B3E615}'
filter_path=$(winepath_of "$build/fake_capture_filter.dll")
cat >"$work/setup.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CLASSES_ROOT\CLSID\\$filter_class\InprocServer32]
@="${filter_path//\\/\\\\}"
"ThreadingModel"="Both"

[HKEY_CLASSES_ROOT\CLSID\\{860BB310-5D01-11d0-BD3B-00A0C911CE86}\Instance\\$filter_class]
"FriendlyName"="Kavel KV100 Video Capture"
"CLSID"="$filter_class"
REG
(timeout 90 wine reg import "$(winepath_of "$work/setup.reg")" /reg:32 >"$work/setup.log" 2>&1) \
    2>>"$work/setup.log" || true

echo "== start"
wine "$exe" >"$work/exe.out" 2>&1 &
pid=$!
timeout 120 wine "$build/bench-wine/private_memory.exe" 90000 >"$work/memory.out" 2>&1 || true
sleep "$settle_seconds"
grep -qa RemoteControl.exe "/proc/$pid/cmdline" || {
    echo "the program's process $pid is not running" >&2
    exit 1
}
timeout 60 wine "$build/bench-wine/private_memory.exe" 0 >"$work/memory.out" 2>&1 || true
tr -d '\r' <"$work/memory.out" | awk '
    $1 == "committed-private" { printf "private memory after start %d KB committed private (Windows view)\n", $2 / 1024 }'
awk '/^RssAnon/ { printf "the emulating Linux process: %d KB anonymous resident\n", $2 }' \
    "/proc/$pid/status"

echo "== idle for $idle_seconds s"
server=$(prefix_wineserver)
hz=$(getconf CLK_TCK)
exe_before=$(cpu_ticks "$pid")
server_before=$(cpu_ticks "$server")
sleep "$idle_seconds"
exe_after=$(cpu_ticks "$pid")
server_after=$(cpu_ticks "$server")
awk -v ticks=$((exe_after - exe_before)) -v hz="$hz" -v s="$idle_seconds" \
    'BEGIN { printf "idle CPU of the program %.2f %% of one core (%.2f s in %d s)\n", 100 * ticks / hz / s, ticks / hz, s }'
awk -v ticks=$((server_after - server_before)) -v hz="$hz" -v s="$idle_seconds" \
    'BEGIN { printf "idle CPU of the wineserver meanwhile %.2f %% of one core\n", 100 * ticks / hz / s }'

# The Exit command, then the prefix's processes go.
timeout 60 wine "$build/rc_probe.exe" post 0x111 1201 0 >"$work/exit.out" 2>&1 || true
wait "$pid" 2>/dev/null || true
wineserver -k || true
