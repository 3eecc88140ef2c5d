# Helpers of the Wine end-to-end run (sourced by e2e/run_e2e.sh): the Wine prefix, the
# loaders, the simulated card's controller, the fake TV applications, X windows and checks.
# Sourced once RUN is set: it also asks qemu to preload e2e/emulator's thread selectors.
# Every Wine program writes to a file under $LOGS, never to a pipe: a program that the
# utility starts inherits its output, and a pipe would stay open until that program ends.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
WINE32=/usr/lib/wine/wine
WIN64_BUILD="$BUILD/e2e-win64"
CTL="$WIN64_BUILD/sim_card_ctl.exe"
FAKE_APP="$WIN64_BUILD/fake_tv_app.exe"
source "$ROOT/e2e/e2e_checks.sh"
source "$ROOT/e2e/emulator/thread_selectors.sh"
preload_thread_selectors "$RUN"

# The run's verdict. A failed run keeps its folder for a look; a passing one keeps only what
# KEEP names, moved up beside the runs' folders, and removes the rest (the prefix is 700 MB).
KEEP=()
finish_run() {
    say "done"
    if ! report_checks; then
        echo "kept: $RUN"
        exit 1
    fi
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w
    local kept
    for kept in "${KEEP[@]}"; do
        rm -rf "${RUN_BASE:?}/$(basename "$kept")"
        mv "$kept" "$RUN_BASE/"
    done
    rm -rf "${RUN:?}"
}

w64() { "$WINE64" "$@" >>"$LOGS/wine64.out" 2>&1; }
# Wine's reg.exe by its path: the loader runs it itself, where a bare name goes through
# start.exe, whose ShellExecuteEx now and then fails in a session that is just starting.
REG_EXE='C:\windows\system32\reg.exe'

# The 32-bit loader. On a kernel without 32-bit user code it runs under qemu-i386 through
# Wine's preloader (which reserves the address space at once and makes the start fast).
wine32() {
    if [[ $WINE32_MODE == native ]]; then
        "$WINE32" "$@"
    else
        WINELOADERNOEXEC=1 qemu-i386 /usr/lib/wine/wine-preloader "$WINE32" "$@"
    fi
}

# E2E_WINE32=qemu forces the qemu way, as on a machine without 32-bit user code.
choose_wine32_mode() {
    if [[ ${E2E_WINE32:-} == qemu ]]; then
        WINE32_MODE=qemu
    elif "$WINE32" --version >/dev/null 2>&1; then
        WINE32_MODE=native
    elif command -v qemu-i386 >/dev/null && [[ -e /usr/lib/wine/wine-preloader ]]; then
        WINE32_MODE=qemu
    else
        return 1
    fi
}

# A controller call that fails says so in the run's output: a fault that was never armed or a
# script that was never played shows in the checks after it, not in the call.
ctl() {
    local status=0
    "$WINE64" "$CTL" "$@" >>"$LOGS/ctl.out" 2>&1 || status=$?
    ((status == 0)) || printf '   sim_card_ctl %s: status %d (%s)\n' "$*" "$status" \
        "$(tail -n 1 "$LOGS/ctl.out" | tr -d '\r')"
    return "$status"
}

counter() {
    local status=0
    "$WINE64" "$CTL" counters "$1" >"$LOGS/counters.txt" 2>>"$LOGS/ctl.out" || status=$?
    # The controller writes text mode: lines end with CRLF.
    seen "card $1's counters (sim_card_ctl status $status)" "$(tr -d '\r' <"$LOGS/counters.txt")"
    tr -d '\r' <"$LOGS/counters.txt" | awk -v name="$2" '$1 == name && NF == 2 { print $2 }'
}

# Plays remote steps on a card ("30x1 -x6": raw code 30 for one poll, then six polls of no
# key) and waits until the utility has polled them all.
press() {
    local card=$1
    shift
    ctl script "$card" "$@" -x6 && ctl wait "$card" 30000
}

# ---- the Wine prefix ------------------------------------------------------------------------

# A fresh prefix in about 15 s: wineboot runs with a private copy of the 64-bit loader and no
# 32-bit one beside it, so it skips the slow 32-bit set-up; the 32-bit system folder is then
# filled with links to Wine's 32-bit DLLs and the one 32-bit class the utility creates (the
# device enumerator) is registered by hand.
make_prefix() {
    local boot="$RUN/boot"
    mkdir -p "$boot/lib/wine" "$boot/share"
    cp "$WINE64" "$boot/lib/wine/wine64"
    ln -s "$WINESERVER" "$boot/lib/wine/wineserver"
    ln -s /usr/lib/x86_64-linux-gnu "$boot/lib/x86_64-linux-gnu"
    ln -s /usr/share/wine "$boot/share/wine"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$boot/lib/wine/wine64" wineboot -i \
        >"$LOGS/wineboot.out" 2>&1
    # Else service starts fail with error 1055 for about 40 s.
    "$WINESERVER" -k || true
    "$WINESERVER" -w
    local syswow64="$WINEPREFIX/drive_c/windows/syswow64" dll
    mkdir -p "$syswow64"
    for dll in /usr/lib/i386-linux-gnu/wine/i386-windows/*; do
        ln -sf "$dll" "$syswow64/"
    done
    # Unmanaged windows: a managed one freezes its thread for 2 s when it closes.
    w64 "$REG_EXE" add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    local devenum='HKLM\Software\Classes\CLSID\{62BE5D10-60EB-11D0-BD3B-00A0C911CE86}\InprocServer32'
    w64 "$REG_EXE" add "$devenum" /ve /d devenum.dll /f /reg:32
    w64 "$REG_EXE" add "$devenum" /v ThreadingModel /d Both /f /reg:32
    local filter='HKLM\Software\Classes\CLSID\{79FE9855-56BA-42BC-9C39-2EA3E8915122}\InprocServer32'
    w64 "$REG_EXE" add "$filter" /ve /d "$(winepath_of "$BUILD/sim_capture_filter32.dll")" /f /reg:32
    w64 "$REG_EXE" add "$filter" /v ThreadingModel /d Both /f /reg:32
}

winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

# HKLM values in the 32-bit view, where the 32-bit utility reads and writes.
reg32() { w64 "$REG_EXE" add "$1" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f /reg:32; }

# ---- fake TV applications -------------------------------------------------------------------

# 3 is no TV application: a player that the user's keys file reaches.
declare -A APP_DIR=([1]=Lumacast [2]=Vantor [6]=Omnivue [7]=DVBS [9]=Hub [0]=Target [3]=Player)
declare -A APP_EXE=([1]=Lumacast.exe [2]=marovexTV.EXE [6]=MainPanel.exe [7]=DVBS.EXE
                    [9]=Hubdeck.exe [0]=PointerTarget.exe [3]=player.exe)

install_app() {
    local id=$1 dir="$WINEPREFIX/drive_c/TV/${APP_DIR[$1]}"
    mkdir -p "$dir"
    cp "$FAKE_APP" "$dir/${APP_EXE[$id]}"
}

app_log() { printf '%s' "$WINEPREFIX/drive_c/TV/${APP_DIR[$1]}/${APP_EXE[$1]%.*}.log"; }

# Starts an application and waits until this instance is ready, its window up. A log is
# appended to across starts, so only the lines after the launch count: an earlier instance's
# "ready" would let a key be pressed before the utility can find the window.
start_app() {
    local id=$1 from
    shift
    from=$(($(log_lines "$id") + 1))
    "$WINE64" "C:\\TV\\${APP_DIR[$id]}\\${APP_EXE[$id]}" "$@" >"$LOGS/app$id.out" 2>&1 &
    logged "$id" "$from" '^ready' 20
}

# Lines of an application's log from line `from` on (1-based); the last ones are what a
# failed check shows.
log_since() {
    seen "application $1's log from line $2 (last lines)" \
        "$(tail -n +"$2" "$(app_log "$1")" 2>&1 | tail -n 12)"
    tail -n +"$2" "$(app_log "$1")" 2>/dev/null
}
log_lines() { wc -l 2>/dev/null <"$(app_log "$1")" || echo 0; }

# Waits until the application's log, from line `from` on, has a line matching `pattern`.
logged() {
    local id=$1 from=$2 pattern=$3
    wait_for "${4:-10}" eval 'log_since "$id" "$from" | grep -qE "$pattern"'
}

not_logged() { ! log_since "$1" "$2" | grep -qE "$3"; }

app_exited() {
    local id=$1
    wait_for "${2:-10}" eval 'log_since "$id" "$(log_lines "$id")" | grep -qx exit'
}

# ---- the utility ------------------------------------------------------------------------------

start_utility() {
    local name=$1
    wine32 "$EXE" >"$LOGS/utility-$name.out" 2>&1 &
    UTILITY_PID=$!
    wait_for 60 tray_visible
}

utility_running() {
    local state=running
    kill -0 "$UTILITY_PID" 2>/dev/null || state=ended
    seen "the utility (process $UTILITY_PID)" "$state"
    [[ $state == running ]]
}
utility_gone() { wait_for "${1:-10}" eval '! utility_running'; }

# ---- X windows ----------------------------------------------------------------------------

window_ids() {
    local ids id
    ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null)
    seen "visible windows named $1" "${ids:-(none)}" \
        "$(for id in $ids; do xdotool getwindowname "$id"; done 2>/dev/null)"
    [[ -n $ids ]] && echo "$ids"
    return 0
}
window_count() { window_ids "$1" | wc -l; }
window_shown() { [[ $(window_count "$1") -ge 1 ]]; }
window_gone() { [[ $(window_count "$1") -eq 0 ]]; }

# With no X system tray, the icons sit in a visible "Wine System Tray" window, one icon a
# square as high as the window; ours is the only one.
tray_visible() { window_shown '^Wine System Tray$'; }

click_tray_icon() {
    local id X Y WIDTH HEIGHT
    id=$(window_ids '^Wine System Tray$' | head -n 1)
    [[ -n $id ]] || return 1
    eval "$(xdotool getwindowgeometry --shell "$id")"
    CLICK_X=$((X + HEIGHT / 2))
    CLICK_Y=$((Y + HEIGHT / 2))
    xdotool mousemove "$CLICK_X" "$CLICK_Y" click 1
}

pointer_x() { xdotool getmouselocation --shell | awk -F= '$1 == "X" { print $2 }'; }
pointer_y() { xdotool getmouselocation --shell | awk -F= '$1 == "Y" { print $2 }'; }
pointer_at() {
    local x y
    x=$(pointer_x)
    y=$(pointer_y)
    seen "the pointer" "at $x,$y"
    [[ $x == "$1" && $y == "$2" ]]
}

# A screenshot of the screen region around a window (or the whole screen), kept with the run.
screenshot() {
    local name=$1 pattern=${2:-} margin=${3:-8}
    local file="$SHOTS/$name.png"
    if [[ -n $pattern ]]; then
        local id X Y WIDTH HEIGHT
        id=$(window_ids "$pattern" | tail -n 1)
        [[ -n $id ]] || return 0
        eval "$(xdotool getwindowgeometry --shell "$id")"
        local left=$((X > margin ? X - margin : 0)) top=$((Y > margin ? Y - margin : 0))
        import -silent -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$left+$top" \
            +repage "$file"
    else
        import -silent -window root "$file"
    fi
}
