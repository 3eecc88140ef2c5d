#!/usr/bin/env bash
# RemoteMonitor.exe under Wine against the simulated card of the end-to-end run (see
# docs/e2e.md): no card, then the device list and the lines of scripted presses on a
# translated GPIO board, the refusal while Remote Control runs, and the I2C board, whose codes
# are the keys. DVBS SUITE (a fake TV application) runs throughout, so each line says what it
# would receive.
#
#   e2e/monitor.sh <Windows build dir>     (ctest's wine_monitor; exits 77 when Wine is missing)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:?usage: $0 <Windows build dir>}" && pwd)
EXE=$BUILD/RemoteControl.exe
MONITOR=$BUILD/RemoteMonitor.exe
TEST=wine_monitor
RUN_NAME=e2e-monitor
NEEDED=("$MONITOR" "$EXE")
source "$ROOT/e2e/e2e_start.sh"
CONSOLE_CTL="$WIN64_BUILD/console_ctl.exe"

say "fresh Wine prefix in $WINEPREFIX (32-bit programs: $WINE32_MODE)"
make_prefix
"$WINE64" "$CTL" hold >"$LOGS/keeper.out" 2>&1 &
ctl install "$(winepath_of "$WIN64_BUILD/rcsimcard.sys")"
ctl add 0 gpio 14
ctl add 1 gpio 14
ctl add 2 i2c 0
install_app 7
install_app 9
reg32 'HKLM\Software\Zarvin Multimedia\TV Hub\DTVR' AppPath 'C:\TV\Hub'
set +e

# Starts the monitor in the background: its output (CRLF stripped on reading) in
# $LOGS/monitor-NAME.out, its exit status in monitor-NAME.status when it ends.
start_monitor() {
    local name=$1
    shift
    (
        wine32 "$MONITOR" "$@" >"$LOGS/monitor-$name.out" 2>&1 </dev/null
        echo $? >"$LOGS/monitor-$name.status"
    ) &
}

# Starts the monitor as above, but on a console of its own, into which Ctrl+C can be typed
# as Windows delivers it: the console raises the event on a new thread of the monitor.
start_monitor_on_console() {
    local name=$1
    shift
    (
        "$WINE64" "$CONSOLE_CTL" run "$(winepath_of "$LOGS/monitor-$name.out")" \
            "$(winepath_of "$MONITOR")" "$@" >>"$LOGS/console.out" 2>&1
        echo $? >"$LOGS/monitor-$name.status"
    ) &
}
type_ctrl_c() { "$WINE64" "$CONSOLE_CTL" ctrl-c >>"$LOGS/console.out" 2>&1; }

monitor_out() { tr -d '\r' 2>/dev/null <"$LOGS/monitor-$1.out"; }
monitor_says() {
    seen "the monitor's output ($1, last lines)" "$(monitor_out "$1" | tail -n 8)"
    monitor_out "$1" | grep -qE "$2"
}
monitor_ended() {
    seen "the monitor's exit status ($1)" "$(cat "$LOGS/monitor-$1.status" 2>/dev/null || echo "(still running)")"
    [[ -s $LOGS/monitor-$1.status ]]
}
monitor_status() { wait_for "${3:-60}" monitor_ended "$1" && [[ $(cat "$LOGS/monitor-$1.status") == "$2" ]]; }

say "no card"
start_monitor none
check "with no card registered the monitor exits with status 1" monitor_status none 1
check "and says that it found no supported card" \
    monitor_says none '^No supported TV card was found'
check "its device list is empty" monitor_says none '^  \(none\)$'

say "GPIO boards: a DVBT card first, a KV200 second, a camera third"
ctl register a-dvbt "Sorrel DVBT Q7 Video Capture" 1
ctl register b-kv200 "Kavel KV200 Video Capture" 0
ctl register c-camera "USB Video Camera" 1
start_app 7
start_monitor gpio --seconds 25
wait_for 60 monitor_says gpio '^Polling every 65 ms for 25 s'
check "the devices are listed in enumeration order, supported ones marked" \
    eval 'monitor_out gpio | grep -Pzq " 1  Sorrel DVBT Q7 Video Capture +supported\n +2  Kavel KV200 Video Capture +supported, used\n +3  USB Video Camera\n"'
check "the KV200 is the one used: GPIO, Translated numbering" \
    monitor_says gpio '^Remote Control would use device 2, Kavel KV200 Video Capture: GPIO, Translated numbering\.$'
press 0 9x3 30x1
check "raw 9 held for three polls: key 5 as a new press for DVBS SUITE" \
    monitor_says gpio 'raw 0x09   9  key  5 digit 5    new        DVBS SUITE: message 3024, wParam 10005$'
check "then its repeats 1 and 2, thinned as the utility would" \
    monitor_says gpio 'key  5 digit 5    repeat 2   DVBS SUITE: nothing \(held key'
check "raw 30 is Power, which would close DVBS SUITE" \
    monitor_says gpio 'raw 0x1E  30  key 18 Power      new        Power: close DVBS SUITE$'
check "the monitor posts nothing: DVBS SUITE received no command" not_logged 7 1 '^main msg 3024'
check "--seconds 25 ends the run by itself, with status 0" monitor_status gpio 0
check "and it says how long it ran" monitor_says gpio '^Stopped after 25\.[0-9] s: 4 key events\.$'
check "the DVBT card, listed first, was never asked" eval '(($(counter 1 requests) == 0))'

say "refusal while Remote Control runs"
polled=$(counter 0 polls)
wine32 "$EXE" >"$LOGS/utility.out" 2>&1 &
UTILITY_PID=$!
check "Remote Control polls the KV200" wait_for 60 eval '(($(counter 0 polls) > polled))'
start_monitor refused
check "the monitor refuses with status 3" monitor_status refused 3
check "and says to exit Remote Control from its tray menu first" \
    monitor_says refused 'Exit Remote Control from its tray menu first'
ctl post "Remote Control" - 16 0  # WM_CLOSE
utility_gone 30

say "refusal while a copy runs in another session"
# A mark in the Global namespace and no window here: what a copy of another session is, seen
# from this one.
"$WINE64" "$CTL" hold-object 'Global\Remote Control is running' >"$LOGS/holder.out" 2>&1 &
HOLDER_PID=$!
check "the other session's copy holds its mark" wait_for 30 grep -q '^holding' "$LOGS/holder.out"
start_monitor other-session
check "with no Remote Control window in this session the monitor still refuses with status 3" \
    monitor_status other-session 3
check "and says that Remote Control runs for another user" \
    monitor_says other-session 'Remote Control is running for another user'
kill "$HOLDER_PID" 2>/dev/null
wait "$HOLDER_PID" 2>/dev/null

say "the I2C board, whose codes are the keys"
ctl unregister a-dvbt
ctl unregister b-kv200
ctl unregister c-camera
ctl register d-dvbs "Sorrel DVBS Q7 Video Capture" 2
start_monitor_on_console i2c
wait_for 60 monitor_says i2c '^Polling every 65 ms; press keys on the remote\. Ctrl\+C ends\.$'
check "the DVBS card is used: I2C, Direct numbering" \
    monitor_says i2c '^Remote Control would use device 1, Sorrel DVBS Q7 Video Capture: I2C, Direct numbering\.$'
press 2 27x2
check "raw 27 is key 27 on this board, 3024 with 402 for DVBS SUITE" \
    monitor_says i2c 'raw 0x1B  27  key 27 Right      new        DVBS SUITE: message 3024, wParam 402$'
check "and its repeat is counted" monitor_says i2c 'key 27 Right      repeat 1 '
type_ctrl_c
check "Ctrl+C ends the run after its last poll" \
    wait_for 20 monitor_says i2c '^Stopped after [0-9.]+ s: 2 key events\.$'
check "with status 0" monitor_status i2c 0 20

cp "$LOGS/monitor-gpio.out" "$RUN/sample-output.txt"
KEEP=("$RUN/sample-output.txt")
finish_run
