#!/usr/bin/env bash
# The Wine end-to-end run: the real RemoteControl.exe in a fresh Wine prefix under Xvfb,
# a simulated TV card behind a real kernel driver, and fake TV applications that log what
# they receive. Remote presses are played on the card; the checks read the applications'
# logs, the X screen and the card's counters.
#
#   e2e/run_e2e.sh <Windows build dir>     (ctest's wine_e2e; exits 77 when Wine is missing)
#
# A run's prefix, logs and screenshots are in <build>/e2e-run/<time>-<pid>/, kept when a check
# fails; a passing run leaves its screenshots in <build>/e2e-run/screenshots, and with
# E2E_UPDATE_DOCS=1 also copies them to docs/images/e2e-*.png for the README.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:?usage: $0 <Windows build dir>}" && pwd)
EXE=${E2E_EXE:-$BUILD/RemoteControl.exe}
TEST=wine_e2e
RUN_NAME=e2e-run
NEEDED=("$EXE")
source "$ROOT/e2e/e2e_start.sh"
SHOTS="$RUN/screenshots"

mkdir -p "$SHOTS"
say "fresh Wine prefix in $WINEPREFIX (32-bit programs: $WINE32_MODE)"
make_prefix

# The session keeper: while it runs the session, the driver and its cards stay up.
"$WINE64" "$CTL" hold >"$LOGS/keeper.out" 2>&1 &
KEEPER_PID=$!
say "installing the simulated card's driver"
ctl install "$(winepath_of "$WIN64_BUILD/rcsimcard.sys")"
ctl add 0 gpio 14  # "Kavel KV200 Video Capture"
ctl add 1 gpio 14  # "Sorrel DVBT Q7 Video Capture"
ctl add 2 i2c 0    # "Sorrel DVBS Q7 Video Capture"

for id in 0 1 2 3 7 9; do install_app "$id"; done
reg32 'HKLM\SOFTWARE\Tolvane\Lumacast' InstallPath 'C:\TV\Lumacast'
reg32 'HKLM\Software\Marovex\TV Suite\TVR' AppPath 'C:\TV\Vantor'
reg32 'HKLM\SOFTWARE\Marovex\DVB Suite\DVBS' AppPath 'C:\TV\DVBS'
reg32 'HKLM\Software\Zarvin Multimedia\TV Hub\DTVR' AppPath 'C:\TV\Hub'

# From here on every check reports for itself; a failing step shows in the checks after it.
set +e
source "$ROOT/e2e/scenarios.sh"
write_keys_file  # every start of the utility reads it: the built-in checks run with it
run_no_receiver
run_gpio_boards
run_user_keys
run_card_away
run_driver_hang
run_i2c_board  # last: it ends with the shutdown request, which ends the Wine session

if [[ ${E2E_UPDATE_DOCS:-0} == 1 ]]; then
    for shot in "$SHOTS"/*.png; do cp "$shot" "$ROOT/docs/images/e2e-$(basename "$shot")"; done
fi
KEEP=("$SHOTS")
finish_run
