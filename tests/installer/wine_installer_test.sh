#!/usr/bin/env bash
# The installer under Wine, silently, on a fresh prefix: install over a registry that already
# holds TV applications and an "AlwaysRemoteOff" value, start the installed utility, install
# again over the running copy, uninstall, and check what each step leaves behind. A second
# round checks that ticking "remove the settings" removes them and nothing else. With the
# end-to-end run's controller, a copy of another session (its mark held, no window here) makes
# a silent install stop before it writes anything. Last, the installer's page for the default
# TV application and the uninstaller's page with the settings box are shown and photographed
# for the user guide.
#   wine_installer_test.sh SETUP_EXE PROGRAM_EXE WAIT_FOR_WINDOW_EXE MONITOR_EXE [SIM_CARD_CTL]
#   E2E_SHOTS=DIR     keep the screenshots there (default: installer-shots beside SETUP_EXE)
# Exits 77 (skipped) when Wine or xvfb-run is missing.
set -euo pipefail
# Wine's reg.exe by its path: the loader runs it itself, where a bare name goes through
# start.exe, whose ShellExecuteEx now and then fails in a session that is just starting.
REG_EXE='C:\windows\system32\reg.exe'

for tool in wine wineserver xvfb-run; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/install-deps.sh --wine)"
        exit 77
    fi
done
[[ -n "${DISPLAY:-}" ]] || exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"

setup=$(readlink -f "$1")
program=$(readlink -f "$2")
wait_for_window=$(readlink -f "$3")
monitor=$(readlink -f "$4")
controller=$(readlink -f "${5:-/nonexistent}" || true)
work=$(mktemp -d /tmp/rc-installer-test.XXXXXX)
source "$(dirname "$0")/../../e2e/emulator/thread_selectors.sh"
preload_thread_selectors "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# No desktop menu entries, and no prompts for the .NET and HTML engines.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

utility_pid=""
holder_pid=""
cleanup() {
    local status=$?
    if [[ -n "$utility_pid" ]] && utility_running; then kill "$utility_pid" 2>/dev/null || true; fi
    if [[ -n "$holder_pid" ]]; then kill "$holder_pid" 2>/dev/null || true; fi
    if [[ -d "$WINEPREFIX" ]]; then wineserver -k 2>/dev/null || true; fi
    rm -rf "$WINEPREFIX"
    if [[ $status -ne 0 ]]; then
        echo "logs kept in $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "== [${SECONDS}s] $*"; }

# A program's output goes to a log file: a pipe can keep wine waiting for its reader.
logged() {
    local log=$work/$1.log
    shift
    "$@" >"$log" 2>&1
}
# A 32-bit program under Wine: its status, except that the emulated process may be killed
# (137) once its Windows process has ended; the checks that follow tell success then.
wine32() {
    local status=0
    logged "$1" wine "${@:2}" || status=$?
    [[ $status -eq 0 || $status -eq 137 ]]
}
# Wine's own 64-bit tools start many times faster through the 64-bit loader than through the
# wine wrapper, which runs the 32-bit loader first.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
[[ -x "$wine64" ]] || wine64=wine

new_prefix() {
    # Wine 8 sometimes loses its boot process to a SIGKILL while the services start; a second
    # boot on a clean prefix goes through.
    local attempt
    for attempt in 1 2 3; do
        if logged "wineboot-$attempt" "$wine64" wineboot -i; then break; fi
        [[ $attempt -lt 3 ]] || fail "wineboot failed three times"
        wineserver -k 2>/dev/null || true
        wineserver -w
        rm -rf "$WINEPREFIX"
    done
    wineserver -k || true
    wineserver -w
    wineserver -p # keep the server, and with it the started services, for the whole test
    logged x11 "$wine64" "$REG_EXE" add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # Wine's own fonts, Marlett for the caption buttons among them.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

# The 32-bit registry view: the one both the installer and the utility see.
reg32() { logged "$1" "$wine64" "$REG_EXE" "${@:2}" /reg:32; }
expect_value() { # KEY NAME "TYPE DATA"
    local actual
    reg32 query query "$1" /v "$2" || fail "$1 \"$2\" is missing"
    actual=$(tr -d '\r' <"$work/query.log" | grep -m1 -F "    $2    " |
        sed -E "s/^ +\S.*    (REG_\w+)    /\1 /")
    [[ "$actual" == "$3" ]] || fail "$1 \"$2\" is \"$actual\", expected \"$3\""
}
expect_settings() { # DEFAULT_TV_APP ALWAYS_REMOTE_OFF
    expect_value "$settings" DefaultTVAPP "REG_DWORD $1"
    expect_value "$settings" AlwaysRemoteOff "REG_DWORD $2"
}
expect_absent() { # KEY [NAME]
    if reg32 query query "$1" ${2:+/v "$2"}; then fail "$1 ${2:-} is still there"; fi
}

settings='HKLM\SOFTWARE\Zarvin Multimedia\Tuner Utilities'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\RemoteControl'
common_key='HKLM\Software\Zarvin Multimedia\TV Duo\DTVR'
install_win='C:\Program Files (x86)\Zarvin Multimedia\Tuner Utilities'
maker_dir="$WINEPREFIX/drive_c/Program Files (x86)/Zarvin Multimedia"
install_dir="$maker_dir/Tuner Utilities"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Remote Control.lnk"
monitor_shortcut="${shortcut%/*}/Test the remote.lnk"
keys_shortcut="${shortcut%/*}/Edit the remote's keys.lnk"

start_utility() {
    wine "$install_win\\RemoteControl.exe" >"$work/utility-$1.log" 2>&1 &
    utility_pid=$!
    wine32 "wait-up-$1" "$wait_for_window" "Remote Control" appear 60000 || true
    tr -d '\r' <"$work/wait-up-$1.log" | grep -qx 'done' ||
        fail "the installed utility did not open its window"
}
utility_running() {
    local state
    state=$(ps -o stat= -p "$utility_pid" 2>/dev/null) || return 1
    [[ "$state" != Z* ]]
}
expect_utility_ended() {
    for _ in $(seq 100); do
        utility_running || return 0
        sleep 0.2
    done
    fail "the utility is still running after $1"
}

# The uninstaller copies itself away and returns at once; it is done when its entry is gone.
uninstall() {
    wine32 "uninstall-$1" "$install_win\\Uninstall.exe" /S "${@:2}" || fail "the uninstaller failed"
    for _ in $(seq 60); do
        if [[ ! -e "$install_dir" ]] && ! reg32 query query "$uninstall_key"; then return 0; fi
        sleep 1
    done
    fail "the uninstaller did not finish"
}

expect_installed() {
    cmp -s "$program" "$install_dir/RemoteControl.exe" || fail "RemoteControl.exe not installed"
    [[ -f "$install_dir/Uninstall.exe" ]] || fail "the uninstaller is not installed"
    grep -aqs 'RemoteControl.exe' "$shortcut" || fail "no Start-menu shortcut to the program"
    cmp -s "$monitor" "$install_dir/RemoteMonitor.exe" || fail "RemoteMonitor.exe is not installed"
    grep -aqs 'RemoteMonitor.exe' "$monitor_shortcut" || fail "no shortcut \"Test the remote\""
    # Its arguments are stored as UTF-16.
    grep -aqsP -- '-\x00-\x00e\x00d\x00i\x00t\x00-\x00k\x00e\x00y\x00s' "$keys_shortcut" ||
        fail "no shortcut \"Edit the remote's keys\" to RemoteMonitor --edit-keys"
    expect_value "$run_key" "Remote Control" "REG_SZ \"$install_win\\RemoteControl.exe\""
    expect_value "$uninstall_key" DisplayVersion "REG_SZ 5.0.0.1"
}

expect_removed() {
    [[ ! -e "$maker_dir" ]] || fail "the installation folder is still there"
    [[ ! -e "$shortcut" ]] || fail "the Start-menu shortcut is still there"
    [[ ! -e "$monitor_shortcut" ]] || fail "the shortcut \"Test the remote\" is still there"
    [[ ! -e "$keys_shortcut" ]] || fail "the shortcut \"Edit the remote's keys\" is still there"
    expect_absent "$run_key" "Remote Control"
    expect_absent "$uninstall_key"
}

# Waits for the wizard window whose title matches TITLE (a pattern), clicks its Next button
# NEXT times and takes a screenshot NAME of the page it reaches; then cancels the wizard,
# answering Yes if it asks, and waits until it is gone. The buttons sit at fixed places from
# the window's bottom right corner.
show_page() {
    local title=$1 next=$2 name=$3 id X Y WIDTH HEIGHT
    id=$(timeout 60 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1) ||
        true
    if [[ -z $id ]]; then
        import -window root "$work/no-$name.png"
        fail "no window \"$title\" (the screen: $work/no-$name.png)"
    fi
    eval "$(xdotool getwindowgeometry --shell "$id")"
    for _ in $(seq "$next"); do
        sleep 2
        xdotool mousemove --window "$id" $((WIDTH - 139)) $((HEIGHT - 25)) click 1
    done
    sleep 2
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$shots/$name.png"
    echo "   screenshot $shots/$name.png"
    xdotool mousemove --window "$id" $((WIDTH - 56)) $((HEIGHT - 25)) click 1
    sleep 1
    xdotool key Return
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    fail "the window \"$title\" did not close"
}

step "installer version information"
strings -el "$setup" | grep -qx '5.0.0.1' || fail "no version 5.0.0.1 in the installer"

step "fresh Wine prefix"
new_prefix

step "TV applications 2, 6 and 9 installed; AlwaysRemoteOff already set to 2"
reg32 seed-tvr add 'HKLM\Software\Marovex\TV Suite\TVR' /v AppPath /d 'C:\TV\VantorTVR' /f
# Applications 6 and 9 are found under their suite's common key only.
reg32 seed-common add "$common_key" /v AppPath /d 'C:\TV\Omnivue' /f
reg32 seed-off add "$settings" /v AlwaysRemoteOff /t REG_DWORD /d 2 /f

step "silent install choosing application 6"
wine32 install-1 "$setup" /S /DEFAULTAPP=6 || fail "the installer failed"
expect_installed
expect_settings 0x6 0x2

step "the installed utility runs"
start_utility 1

step "install again over the running copy, choosing application 7, which is not installed"
wine32 install-2 "$setup" /S /DEFAULTAPP=7 || fail "the second install failed"
expect_utility_ended "the second install"
expect_installed
expect_settings 0x6 0x2

if [[ -f "$controller" ]]; then
    step "a copy in another session: the silent install stops with status 2 and writes nothing"
    "$wine64" "$controller" hold-object 'Global\Remote Control is running' >"$work/holder.log" 2>&1 &
    holder_pid=$!
    for _ in $(seq 100); do
        if grep -q '^holding' "$work/holder.log"; then break; fi
        sleep 0.2
    done
    grep -q '^holding' "$work/holder.log" || fail "the controller does not hold the mark"
    rm -f "$shortcut"
    reg32 drop-value delete "$uninstall_key" /v NoModify /f
    status=0
    logged install-blocked wine "$setup" /S || status=$?
    [[ $status -eq 2 ]] || fail "the blocked install exited with $status, expected 2"
    [[ ! -e "$shortcut" ]] || fail "the blocked install wrote the Start-menu shortcut"
    expect_absent "$uninstall_key" NoModify
    kill "$holder_pid"
    wait "$holder_pid" 2>/dev/null || true
    holder_pid=""
    wine32 install-unblocked "$setup" /S || fail "the install after the other copy ended failed"
    expect_installed
fi

step "silent uninstall while the utility runs"
start_utility 2
uninstall 1
expect_utility_ended "the uninstall"
expect_removed
expect_settings 0x6 0x2

step "install, then uninstall removing the settings"
wine32 install-3 "$setup" /S || fail "the third install failed"
expect_installed
expect_value "$settings" DefaultTVAPP "REG_DWORD 0x6"
uninstall 2 /REMOVESETTINGS
expect_removed
expect_absent "$settings"
expect_value "$common_key" AppPath 'REG_SZ C:\TV\Omnivue'

step "screenshots of the installer's and the uninstaller's pages"
shots=${E2E_SHOTS:-$(dirname "$setup")/installer-shots}
mkdir -p "$shots"
wine "$setup" >"$work/setup-pages.log" 2>&1 &
show_page '^Remote Control Setup$' 2 setup-default-app
wine32 install-4 "$setup" /S || fail "the fourth install failed"
wine "$install_win\\Uninstall.exe" >"$work/uninstall-pages.log" 2>&1 &
# Its caption ends in a space.
show_page '^Remote Control Uninstall ?$' 1 uninstall-settings

step "passed"
