# The scenarios of the Wine end-to-end run (sourced by e2e/run_e2e.sh). Raw codes on the
# GPIO boards go through the remote's translation table: raw 30 is Power (key 18), raw 9 key
# 5, raw 27 key 3, raw 16 key 10, raw 17 key 22, raw 21 key 6, raw 2 key 0. On the I2C board
# (Direct layout) the raw code is the key.

# Line number from which an application's log is read next.
next_line() { echo $(($(log_lines "$1") + 1)); }

# The key events that application 1 received from line `from` on, without their lParam.
key_events() { log_since 1 "$1" | awk '$2 ~ /^key(down|up)$/ { printf "%s %s,", $2, $3 }'; }

probe_listed() {
    seen "the probe's device list" "$(tr -d '\r' <"$LOGS/probe-list.txt")"
    grep -qz "$1" "$LOGS/probe-list.txt"
}

# Whether application 1's first key message MESSAGE of key VK from line `from` on has lParam
# bit BIT set (1) or clear (0).
key_bit() {
    local lparam
    lparam=$(log_since 1 "$1" | awk -v m="$2" -v k="$3" '$2 == m && $3 == k { print $4; exit }')
    [[ -n $lparam ]] && (((lparam >> $4 & 1) == $5))
}

focus_and_press() {
    local id
    id=$(window_ids "$1" | tail -n 1)
    [[ -n $id ]] || return 1
    xdotool windowfocus --sync "$id" key "$2"
}

# The tray menu opens with its top left corner at the click; with the default application's
# entry first, the entries' middles lie this far below it.
declare -A TRAY_ENTRY_OFFSET=([app]=12 [setting]=38 [about]=63 [exit]=88)

choose_tray_entry() {
    click_tray_icon
    sleep 1
    xdotool mousemove $((CLICK_X + 40)) $((CLICK_Y + TRAY_ENTRY_OFFSET[$1])) click 1
}

run_no_receiver() {
    say "no receiver: no listed board present"
    start_utility no-receiver
    check "the utility starts without a receiver and shows its tray icon" utility_running
    click_tray_icon
    check "a click on the icon shows the no-receiver message" \
        wait_for 10 window_shown '^Remote Control$'
    screenshot no-receiver '^Remote Control$'
    focus_and_press '^Remote Control$' Return
    check "after the message the utility quits" utility_gone 20
}

run_gpio_boards() {
    say "GPIO boards: a DVBT card listed first, a KV200 second"
    ctl register a-dvbt "Sorrel DVBT Q7 Video Capture" 1
    ctl register b-kv200 "Kavel KV200 Video Capture" 0
    wine32 "$BUILD/rc_probe.exe" list >"$LOGS/probe-list.txt" 2>>"$LOGS/probe.err"
    check "the enumerator lists the DVBT card before the KV200" \
        probe_listed 'device Sorrel DVBT Q7 Video Capture.*device Kavel KV200 Video Capture'
    start_app 0 --rect 200 150 600 450
    start_utility gpio
    check "the utility polls the KV200 card" wait_for 15 eval '(($(counter 0 polls) > 0))'
    check "the DVBT card, first in enumeration order, is never asked" \
        eval '(($(counter 1 requests) == 0))'

    say "Power with application 9 as the installed default"
    press 0 30x1
    check "Power starts application 9 with the parameter remote" \
        logged 9 1 '^start .* remote$' 20
    wait_for 20 grep -qs '^ready' "$(app_log 9)"
    local from
    from=$(next_line 9)
    press 0 9x1 16x1
    check "a later digit reaches application 9 as 4024 with 10005" \
        logged 9 "$from" '^main msg 4024 10005 0$'
    check "key 10 reaches application 9 as 4024 with 10000" \
        logged 9 "$from" '^main msg 4024 10000 0$'
    # Closed by the user: the watcher notices within its 1 s tick and clears application 9.
    ctl post ZarvinMainPanel_Class "Omnivue Center" 16 0
    check "application 9 closes when the user closes it" app_exited 9
    sleep 2.5
    xdotool mousemove 500 400
    sleep 0.5
    from=$(next_line 9)
    press 0 21x1
    check "after it has gone the watcher clears it: the next key moves the pointer" \
        wait_for 5 pointer_at 501 400
    check "and application 9 is not started again" not_logged 9 "$from" '^start'

    from=$(next_line 9)
    press 0 30x1
    check "a second Power starts application 9 again" logged 9 "$from" '^ready' 20
    from=$(next_line 9)
    press 0 30x1
    check "Power closes application 9 with 4024 and 25" \
        logged 9 "$from" '^main msg 4024 25 0$'
    check "application 9 ends on its close command" app_exited 9

    say "keys to running applications 7 and 2"
    start_app 7
    from=$(next_line 7)
    press 0 9x1
    check "a digit reaches the running application 7 as 3024 with 10005" \
        logged 7 "$from" '^main msg 3024 10005 0$'
    press 0 30x1
    check "Power closes the active application 7 with 3024 and 1" \
        logged 7 "$from" '^main msg 3024 1 0$'
    check "application 7 ends on its close command" app_exited 7
    start_app 2
    from=$(next_line 2)
    press 0 27x1 16x1
    check "a digit reaches application 2 as 3024 with 10003" \
        logged 2 "$from" '^main msg 3024 10003 0$'
    check "key 10 reaches application 2 as 3024 with 10100" \
        logged 2 "$from" '^main msg 3024 10100 0$'
    press 0 30x1
    check "application 2 ends on Power" app_exited 2

    say "keystrokes to application 1"
    start_app 1
    from=$(next_line 1)
    press 0 27x1
    check "key 3 is posted to application 1 as VK_NUMPAD3 with lParam 22020097" \
        logged 1 "$from" '^main keydown 0x63 22020097$'
    from=$(next_line 1)
    press 0 17x1
    check "key 22 reaches application 1 as the chord Ctrl+Shift+P, in order" \
        wait_for 10 eval '[[ $(key_events '"$from"') == "keydown 0x11,keydown 0x10,keydown 0x50,keyup 0x50,keyup 0x10,keyup 0x11," ]]'
    from=$(next_line 1)
    press 0 27x12
    check "a key held for 12 polls while application 1 is active arrives twice" \
        eval '(($(log_since 1 '"$from"' | grep -c "^main keydown 0x63 ") == 2))'
    press 0 30x1
    check "Power closes application 1 with Alt+F4" logged 1 "$from" '^main close$'
    check "Alt+F4's Alt is the left Alt: a system key without the extended bit 24" \
        key_bit "$from" syskeydown 0x12 24 0
    check "and F4 a system key with Alt down (context code, bit 29), which closes the window" \
        key_bit "$from" syskeydown 0x73 29 1
    check "application 1 ends" app_exited 1

    say "pointer mode"
    xdotool mousemove 500 400
    sleep 0.5
    press 0 21x12
    check "a held direction key moves the pointer by 1,1,1,1,6,6,6,6,6,12,12,12 pixels" \
        wait_for 5 pointer_at 570 400
    from=$(next_line 0)
    press 0 2x1
    check "key 0 clicks where the pointer is: the window under it gets the button down" \
        logged 0 "$from" '^main lbuttondown 570 400$'
    check "and the button up" logged 0 "$from" '^main lbuttonup 570 400$'

    say "screenshots of the tray menu and the dialogs"
    click_tray_icon
    sleep 1
    screenshot_tray_menu
    xdotool key Escape
    sleep 0.5
    choose_tray_entry setting
    check "the tray menu opens the Setting dialog" \
        wait_for 10 window_shown '^Remote Control - Setting$'
    screenshot setting '^Remote Control - Setting$'
    focus_and_press '^Remote Control - Setting$' Escape
    wait_for 5 window_gone '^Remote Control - Setting$'
    choose_tray_entry about
    check "the tray menu opens the About dialog" \
        wait_for 10 window_shown '^Remote Control - About$'
    screenshot about '^Remote Control - About$'
    focus_and_press '^Remote Control - About$' Escape
    wait_for 5 window_gone '^Remote Control - About$'
}

# The user's keys file in the prefix's %APPDATA% (C:\users\<user>\AppData\Roaming), with lines
# ending as Notepad ends them.
write_keys_file() {
    local home
    for home in "$WINEPREFIX"/drive_c/users/*; do
        [[ ${home##*/} != Public ]] && break
    done
    local dir="$home/AppData/Roaming/Zarvin Multimedia/Remote Control"
    mkdir -p "$dir"
    KEYS_INI="$dir/keys.ini"
    sed 's/$/\r/' >"$KEYS_INI" <<'INI'
; a player of the user's, and one change to DVBS SUITE
[program Fake player]
exe = player.exe
digit 1 = keys Ctrl+Up A
digit 2 = appcommand play-pause
digit 4 = message WM_APP+5 7 9
digit 8 = close

[application DVBS SUITE]
digit 9 = message WM_USER+2000 10042 0
INI
}

# The key messages that an application logged from line `from` on, each with its key and
# its extended bit (lParam bit 24).
typed() {
    log_since "$1" "$2" | awk '$2 ~ /^key(down|up)$/ {
        v = $4 < 0 ? $4 + 4294967296 : $4; printf "%s %s %d,", $2, $3, int(v / 16777216) % 2 }'
}

run_user_keys() {
    say "keys.ini: a player matched by its program file, in front of application 7"
    start_app 7
    start_app 3
    local from from7
    from=$(next_line 3)
    from7=$(next_line 7)
    press 0 1x1 11x1 5x1 6x1 18x1
    check "digit 1 types Ctrl+Up A into the player by SendInput: left Ctrl first, Up extended" \
        wait_for 10 eval '[[ $(typed 3 '"$from"') == "keydown 0x11 0,keydown 0x26 1,keyup 0x26 1,keyup 0x11 0,keydown 0x41 0,keyup 0x41 0," ]]'
    check "digit 2 sends the player WM_APPCOMMAND play-pause (14)" \
        logged 3 "$from" '^main appcommand 14$'
    check "digit 4 posts the message line's WM_APP+5 with 7 and 9" \
        logged 3 "$from" '^main msg 32773 7 9$'
    check "digit 7, not in the player's profile, still reaches application 7 as 3024 with 10007" \
        logged 7 "$from7" '^main msg 3024 10007 0$'
    check "digit 9 reaches it as the file's change: 3024 with 10042" \
        logged 7 "$from7" '^main msg 3024 10042 0$'
    check "the player's keys do not reach application 7" \
        not_logged 7 "$from7" '^main msg 3024 1000[124] '
    sed -i 's/play-pause/stop/' "$KEYS_INI"
    press 0 11x1 10x1
    check "the changed file applies from the next key on: digit 2 now sends stop (13)" \
        logged 3 "$from" '^main appcommand 13$'
    check "digit 8 closes the player: WM_SYSCOMMAND SC_CLOSE" \
        logged 3 "$from" '^main syscommand 0xF060$'
    check "the player ends" app_exited 3
    press 0 30x1
    check "Power closes application 7 as before" logged 7 "$from7" '^main msg 3024 1 0$'
    app_exited 7
}

# The tip of the utility's tray icon, read from Wine's system tray.
tip_is() {
    "$WINE64" "$CTL" tip >"$LOGS/tip.txt" 2>>"$LOGS/ctl.out"
    seen "the tray's tips" "$(tr -d '\r' <"$LOGS/tip.txt")"
    tr -d '\r' <"$LOGS/tip.txt" | grep -qx "tip $1"
}

# Requests that reached the KV200 card or were refused while it was away.
asked() { echo $(($(counter 0 requests) + $(counter 0 refused))); }

run_card_away() {
    say "sleep and wake: WM_POWERBROADCAST posted to the utility"
    ctl unregister a-dvbt  # the KV200 alone is listed from here on
    xdotool mousemove 500 400
    sleep 0.5
    ctl post "Remote Control" - 536 4  # PBT_APMSUSPEND
    sleep 1
    local before
    before=$(asked)
    sleep 3
    check "no request while the PC sleeps" eval '(($(asked) == before))'
    ctl post "Remote Control" - 536 18  # PBT_APMRESUMEAUTOMATIC
    check "the card is polled again after the resume event" \
        wait_for 5 eval '(($(asked) > before))'
    press 0 21x1
    check "and a key moves the pointer" wait_for 5 pointer_at 501 400

    say "the card unplugged and plugged in again"
    ctl unplug 0
    ctl unregister b-kv200
    sleep 3
    before=$(asked)
    sleep 4
    check "polling stops within 3 s: no request while the card is away" \
        eval '(($(asked) == before))'
    say "requests refused on the old handle: $(counter 0 refused)"
    check "the tip says that the card is not found" \
        wait_for 10 tip_is "Remote Control - TV card not found"
    ctl plug 0
    ctl register b-kv200 "Kavel KV200 Video Capture" 0
    ctl script 0 21x1 -x6
    check "keys work within 4 s of its return" wait_for 4 pointer_at 502 400
    check "the tip reads Remote Control again" wait_for 10 tip_is "Remote Control"
}

run_driver_hang() {
    say "a driver that never completes a request (until it is cancelled)"
    ctl reset 0
    ctl completion 0 hang
    check "a hung request: the tip says the card is lost within 5 s" \
        wait_for 5 tip_is "Remote Control - TV card not found"
    check "the hung request was cancelled in the driver" eval '(($(counter 0 cancelled) > 0))'
    ctl post "Remote Control" - 273 30  # WM_COMMAND IDM_ABOUT
    check "the utility stays responsive: a posted command opens About" \
        wait_for 5 window_shown '^Remote Control - About$'
    focus_and_press '^Remote Control - About$' Escape
    wait_for 5 window_gone '^Remote Control - About$'
    check "the utility is still running" utility_running
    ctl completion 0 immediate
    check "the card is found again once the driver answers" \
        wait_for 10 tip_is "Remote Control"
    local x
    x=$(pointer_x)
    press 0 21x1
    check "and a key moves the pointer" wait_for 5 eval '(($(pointer_x) > x))'
}

screenshot_tray_menu() {
    local id X Y WIDTH HEIGHT
    id=$(window_ids '^Wine System Tray$' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -silent -window root -crop "240x200+$X+$Y" +repage "$SHOTS/tray-menu.png"
}

run_i2c_board() {
    say "I2C board with the Direct layout, requests pended; default application 2"
    ctl unregister a-dvbt
    ctl unregister b-kv200
    ctl register c-dvbs "Sorrel DVBS Q7 Video Capture" 2
    ctl completion 2 pending 0
    reg32 'HKLM\SOFTWARE\Zarvin Multimedia\Tuner Utilities' DefaultTVAPP 2 REG_DWORD
    local previous=$UTILITY_PID
    wine32 "$EXE" >"$LOGS/utility-i2c.out" 2>&1 &
    UTILITY_PID=$!
    check "a new instance closes the one already running" \
        wait_for 30 eval '! kill -0 '"$previous"' 2>/dev/null'
    check "the DVBS card is polled, its requests pended and completed by the driver's thread" \
        wait_for 30 eval '(($(counter 2 polls) > 0 && $(counter 2 pended) > 0))'

    start_app 7
    local from
    from=$(next_line 7)
    press 2 5x1 27x1
    check "raw code 5 reaches application 7 unchanged, as 3024 with 10005" \
        logged 7 "$from" '^main msg 3024 10005 0$'
    check "raw code 27 is key 27 on this board: 3024 with 402" \
        logged 7 "$from" '^main msg 3024 402 0$'
    press 2 18x1
    check "Power closes application 7" app_exited 7

    say "a failing I2C step"
    ctl fail 2 0x1100000B 0xC0000001 always set
    ctl script 2 13x40
    check "a failing I2C start shows the I2CSWRead box" wait_for 15 window_shown '^I2CSWRead$'
    sleep 0.5
    local before
    before=$(counter 2 requests)
    sleep 1.5
    check "no second box is stacked while it is open" eval '(($(window_count "^I2CSWRead$") == 1))'
    check "and no request is sent meanwhile" eval '(($(counter 2 requests) == before))'
    screenshot i2c-failure '^I2CSWRead$'
    ctl reset 2
    ctl script 2 -x1
    focus_and_press '^I2CSWRead$' Return
    check "the box closes with OK" wait_for 10 window_gone '^I2CSWRead$'
    ctl wait 2 10000

    say "the Shut Down confirmation, last: confirming it ends the Wine session"
    press 2 21x1
    check "key 21 opens the Shut Down dialog" \
        wait_for 10 window_shown '^Remote Control - Shut Down$'
    screenshot shutdown '^Remote Control - Shut Down$'
    press 2 13x1
    check "any other key cancels it" wait_for 10 window_gone '^Remote Control - Shut Down$'
    sleep 3
    check "and requests no shutdown: the programs of the prefix keep running" \
        eval 'kill -0 '"$KEEPER_PID"' 2>/dev/null && utility_running'
    press 2 21x1
    check "key 21 opens it again" wait_for 10 window_shown '^Remote Control - Shut Down$'
    # The forced power-off makes Wine end every program of this prefix; the session keeper,
    # which nothing else ends, shows it.
    ctl script 2 18x1
    check "Power confirms: the shutdown request ends every program of the prefix" \
        wait_for 30 eval '! kill -0 '"$KEEPER_PID"' 2>/dev/null'
    check "and the Wine session ends" timeout 60 "$WINESERVER" -w
}
