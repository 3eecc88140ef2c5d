#!/usr/bin/env bash
# Smoke test of the real RemoteControl.exe under Wine, on an X display (Xvfb): first start,
# the tray icon, the no-receiver message and the end of the run, a second instance, the
# start-up switch "AlwaysRemoteOff", and the three dialogs. Takes screenshots on the way.
#
#   e2e/exe_smoke.sh BUILD_DIR        BUILD_DIR holds RemoteControl.exe, rc_probe.exe and
#                                     sim_capture_filter32.dll (e2e/probe/, e2e/filter/)
#   E2E_SHOTS=DIR                     keep the screenshots there (default BUILD_DIR/e2e-wine/shots)
#
# Without a DISPLAY it runs itself under xvfb-run. Every run makes a fresh Wine prefix in a
# folder of its own, BUILD_DIR/e2e-wine/<time>-<pid>, kept when a check fails and removed when
# all pass. The wine launcher's output always goes to files: a pipe that Wine's background
# processes keep open would hold the test up.
set -uo pipefail
# Wine's reg.exe by its path: the loader runs it itself, where a bare name goes through
# start.exe, whose ShellExecuteEx now and then fails in a session that is just starting.
REG_EXE='C:\windows\system32\reg.exe'

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
if [[ -z ${DISPLAY:-} ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
exe=$build/RemoteControl.exe
probe_exe=$build/rc_probe.exe
card_filter=$build/sim_capture_filter32.dll
work=$build/e2e-wine/$(date +%Y%m%d-%H%M%S)-$$
shots=${E2E_SHOTS:-$build/e2e-wine/shots}
settings_key='HKLM\SOFTWARE\Zarvin Multimedia\Tuner Utilities'
no_receiver_text="Can't find the Video Capture Filter.\\n\\nPlease check your hardware or drivers. "
about_line='Tray icon > Setting picks what Power starts.'
shutdown_text='Press "Power" to shut down your computer, or any other key to cancel.'

mkdir -p "$work" "$shots"
shots=$(cd "$shots" && pwd)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# No downloads of Wine's .NET and HTML engines: the prefix is made without a network.
export WINEDLLOVERRIDES="mscoree,mshtml="

LOGS=$work
source "$ROOT/e2e/e2e_checks.sh"
source "$ROOT/e2e/emulator/thread_selectors.sh"
preload_thread_selectors "$work"

winepath_of() {
    echo "Z:${1//\//\\}"
}

# The probe's printout, without the carriage returns of the Windows console. Its findings
# are in what it prints: an emulated 32-bit process may be killed once its Windows process
# has ended, which loses the exit status.
probe() {
    timeout 90 wine "$probe_exe" "$@" >"$work/probe.out" 2>>"$work/probe.err"
    seen "the probe's answer to $*" "$(tr -d '\r' <"$work/probe.out")"
    tr -d '\r' <"$work/probe.out"
}

# The probe finds what it says.
probe_says() {
    local expected=$1
    shift
    [[ "$(probe "$@")" == "$expected" ]]
}

# Starts the program through the probe, which reports its exit code as "exit N" in
# $work/NAME.out; the probe's launcher's process id goes into started_pid.
started_pid=
start_program() {
    wine "$probe_exe" run "$(winepath_of "$exe")" 180000 >"$work/$1.out" 2>"$work/$1.err" &
    started_pid=$!
}

# The program NAME started (pid PID) has ended within SECONDS with exit code CODE.
ends_with() {
    local code=$1 name=$2 pid=$3 tenths=$(($4 * 10))
    while kill -0 "$pid" 2>/dev/null && ((tenths-- > 0)); do
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        seen "the program $name" "still running"
        return 1
    fi
    wait "$pid" 2>/dev/null
    seen "the probe's report on the program $name" "$(tr -d '\r' <"$work/$name.out")"
    tr -d '\r' <"$work/$name.out" | grep -qx "exit $code"
}

# A 32-bit program's HKLM\SOFTWARE lands in the registry's 32-bit view.
setting() {
    timeout 90 wine "$REG_EXE" query "$settings_key" /v "$1" /reg:32 >"$work/reg.out" 2>&1
    seen "reg query $1" "$(tr -d '\r' <"$work/reg.out")"
    tr -d '\r' <"$work/reg.out" | awk -v name="$1" '$1 == name { print $3 }'
}

# The visible top-level X window with exactly this title, waiting a little for it.
window_id() {
    local id
    id=$(timeout 15 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    seen "the visible window named $1" "${id:-(none)}"
    echo "$id"
}

# One window as a user sees it, and EXTRA pixels of the screen below it (for a tooltip).
# Only the window: nothing repaints the bare screen around it.
screenshot() {
    local name=$1 id=$2 extra=${3:-0}
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${WIDTH}x$((HEIGHT + extra))+$X+$Y" +repage \
        "$shots/$name.png"
    echo "   screenshot $shots/$name.png"
}

dialog_ended_with_cancel() {
    local pid=$1 tenths=600
    while kill -0 "$pid" 2>/dev/null && ((tenths-- > 0)); do
        sleep 0.1
    done
    seen "the probe's report on the dialog" "$(tr -d '\r' <"$work/shutdown.out")"
    tr -d '\r' <"$work/shutdown.out" | grep -qx "dialog ended with 2"
}

# A left click on the program's icon in Wine's system tray window.
click_tray_icon() {
    local tray X Y WIDTH HEIGHT
    tray=$(window_id "Wine System Tray")
    [[ -n $tray ]] || return 1
    eval "$(xdotool getwindowgeometry --shell "$tray")"
    xdotool mousemove --window "$tray" 12 $((HEIGHT - 12)) click 1
}

# The probe lists the texts of a window's controls as "Class: text" lines.
has_line() {
    seen "the window's texts" "$(tr -d '\r' <"$work/texts.out")"
    grep -Fxq -- "$1" "$work/texts.out"
}

echo "== fresh Wine prefix in $WINEPREFIX"
# The launcher of a 32-bit loader may be killed once its work is done; the shell's notice of
# that goes to the log too.
(timeout 240 wine wineboot -i >"$work/wineboot.log" 2>&1) 2>>"$work/wineboot.log"
wineserver -k
wineserver -w
# Wine's own fonts, Marlett for the caption buttons among them, where the system has them.
if [[ -d /usr/share/wine/fonts ]]; then
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
# Managed=N: Wine draws the window frames itself, and a closing window does not stall the
# thread. Two of the supported TV applications are registered as installed (the registry
# entries only, in the 32-bit view), so that the Setting dialog has a list to show.
cat >"$work/setup.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Marovex\TV Suite\TVR]
"AppPath"="C:\\Program Files\\Marovex\\TV Suite\\"

[HKEY_LOCAL_MACHINE\Software\Zarvin Multimedia\TV Hub\DTVR]
"AppPath"="C:\\Program Files\\Zarvin Multimedia\\TV Hub\\"
REG
(timeout 90 wine "$REG_EXE" import "$(winepath_of "$work/setup.reg")" /reg:32 >"$work/setup.log" 2>&1) \
    2>>"$work/setup.log"

echo "== first start, no TV card"
start_program first
first=$started_pid
check "the hidden main window is created" probe_says "main window" wait-main 60000
check "first start writes DefaultTVAPP 9" [ "$(setting DefaultTVAPP)" = 0x9 ]
check "first start writes AlwaysRemoteOff 0" [ "$(setting AlwaysRemoteOff)" = 0x0 ]
tray=$(window_id "Wine System Tray")
check "the tray icon is added (Wine shows its system tray window)" [ -n "$tray" ]
if [[ -n $tray ]]; then
    eval "$(xdotool getwindowgeometry --shell "$tray")"
    # The first icon sits in the bottom-left cell, below the frame that Wine draws.
    # Hovering shows the icon's tip.
    xdotool mousemove --window "$tray" 11 $((HEIGHT - 12))
    sleep 0.5
    xdotool mousemove --window "$tray" 12 $((HEIGHT - 12))
    sleep 2
    screenshot tray-icon "$tray" 30
    xdotool click 1
fi
probe texts "Remote Control" 30000 >"$work/texts.out"
check "a click on the icon shows the no-receiver message" has_line "Static: $no_receiver_text"
box=$(window_id "Remote Control")
if [[ -n $box ]]; then screenshot no-receiver "$box"; fi
probe command "Remote Control" 1 >/dev/null
check "after the message the program ends with exit code 0" ends_with 0 first "$first" 60

echo "== Setting and About, opened by their commands"
start_program dialogs
dialogs=$started_pid
probe wait-main 60000 >/dev/null
probe post 0x111 32 0 >/dev/null
probe texts "Remote Control - Setting" 30000 >"$work/texts.out"
check "command 32 opens the Setting dialog" has_line "Static: Select the application you want to launch when pressing power key on remote controller"
check "which lists the installed applications with the default selected" \
    has_line "ComboBox: VantorTVR, *OmnivueCenter"
id=$(window_id "Remote Control - Setting")
if [[ -n $id ]]; then screenshot setting "$id"; fi
probe command "Remote Control - Setting" 2 >/dev/null
probe post 0x111 30 0 >/dev/null
probe texts "Remote Control - About" 30000 >"$work/texts.out"
check "command 30 opens the About dialog" has_line "Static: Remote Control Utility V5.0.0.1"
check "whose second line says where the settings are" has_line "Static: $about_line"
id=$(window_id "Remote Control - About")
if [[ -n $id ]]; then screenshot about "$id"; fi
probe command "Remote Control - About" 1 >/dev/null
# A choice saved: the key is opened for the query and the write that the save needs.
probe post 0x111 32 0 >/dev/null
probe select "Remote Control - Setting" 0 >/dev/null
probe command "Remote Control - Setting" 1 >/dev/null
check "OK on another entry of the Setting dialog stores it" [ "$(setting DefaultTVAPP)" = 0x2 ]
probe post 0x111 1201 0 >/dev/null
check "the Exit command ends the program with exit code 0" ends_with 0 dialogs "$dialogs" 60

echo "== the Shut Down dialog from the program's resources"
wine "$probe_exe" shutdown-dialog "$(winepath_of "$exe")" >"$work/shutdown.out" 2>&1 &
shutdown=$!
probe texts "Remote Control - Shut Down" 30000 >"$work/texts.out"
check "the Shut Down dialog asks for the Power key" has_line "Static: $shutdown_text"
id=$(window_id "Remote Control - Shut Down")
if [[ -n $id ]]; then screenshot shutdown "$id"; fi
probe command "Remote Control - Shut Down" 2 >/dev/null
check "Cancel closes the Shut Down dialog" dialog_ended_with_cancel "$shutdown"

echo "== a second instance"
start_program older
older=$started_pid
probe wait-main 60000 >/dev/null
start_program newer
newer=$started_pid
check "a second instance makes the first one quit with exit code 0" ends_with 0 older "$older" 60
check "the second instance runs on" probe_says "main window" wait-main 10000
probe post 0x111 1201 0 >/dev/null
check "the second instance ends on Exit with exit code 0" ends_with 0 newer "$newer" 60

# The simulated card's capture filter with no device named in its entry: the utility finds a
# receiver, but gets no device handle and its polls read nothing.
echo "== with a TV card: a stand-in capture filter, registered under a listed board's name"
filter_class='{79FE9855-56BA-42BC-9C39-2EA3E8915122}'
video_input_category='{860BB310-5D01-11d0-BD3B-00A0C911CE86}'
filter_path=$(winepath_of "$card_filter")
cat >"$work/card.reg" <<REG
REGEDIT4

[HKEY_CLASSES_ROOT\CLSID\\$filter_class\InprocServer32]
@="${filter_path//\\/\\\\}"
"ThreadingModel"="Both"

[HKEY_CLASSES_ROOT\CLSID\\$video_input_category\Instance\\$filter_class]
"FriendlyName"="Kavel KV100 Video Capture"
"CLSID"="$filter_class"
REG
(timeout 90 wine "$REG_EXE" import "$(winepath_of "$work/card.reg")" /reg:32 >"$work/card.log" 2>&1) \
    2>>"$work/card.log"
start_program card
card=$started_pid
probe wait-main 60000 >/dev/null
sleep 1
click_tray_icon
read -r found menu_x menu_y menu_width menu_height < <(probe menu 30000)
check "a click on the icon opens the tray menu" [ "$found" = menu ]
if [[ $found == menu ]]; then
    # The menu opens at the cursor, below and right of the tray window at the corner.
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((menu_x + menu_width + 10))x$((menu_y + menu_height + 10))+0+0" \
        +repage "$shots/tray-menu.png"
    echo "   screenshot $shots/tray-menu.png"
fi
xdotool mousemove 900 700 click 1
sleep 2
check "a click elsewhere closes the menu" probe_says "no menu" menu 0
click_tray_icon
read -r found menu_x menu_y menu_width menu_height < <(probe menu 30000)
if [[ $found == menu ]]; then
    # "Exit" is the last item.
    xdotool mousemove $((menu_x + 30)) $((menu_y + menu_height - 11)) click 1
fi
check "Exit from the tray menu ends the program with exit code 0" ends_with 0 card "$card" 60

echo "== AlwaysRemoteOff 1"
timeout 90 wine "$REG_EXE" add "$settings_key" /v AlwaysRemoteOff /t REG_DWORD /d 1 /f /reg:32 \
    >"$work/always-off.log" 2>&1
start_program off
check "with AlwaysRemoteOff 1 the program ends at once with exit code 0" \
    ends_with 0 off "$started_pid" 60
check "and leaves no window behind" probe_says gone wait-gone 0

wineserver -k
wineserver -w
if ! report_checks; then
    echo "kept: $work"
    exit 1
fi
rm -rf "$work"
