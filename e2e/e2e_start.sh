# The start that the Wine runs share (sourced with the run's arguments, after ROOT, BUILD, TEST
# and RUN_NAME are set): skips the test (exit 77) when Wine or an X tool is missing or one of
# the programs in NEEDED is not built, runs the script again under an X server of its own
# (1024 x 768, a width of the dialogs' placement table), and brings in e2e_lib.sh with a Wine
# prefix under $BUILD/$RUN_NAME/<time>-<pid> whose session ends with the script.

skip() {
    echo "$TEST skipped: $*"
    exit 77
}
[[ -x /usr/lib/wine/wine64 ]] || skip "Wine is not installed (scripts/install-deps.sh --wine)"
command -v xvfb-run >/dev/null || skip "xvfb-run is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed"
for program in "${NEEDED[@]}"; do
    [[ -f $program ]] || skip "no $program"
done

if [[ -z ${E2E_IN_XVFB:-} ]]; then
    export E2E_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

# Every run in a folder of its own, so that runs side by side or one after another never share
# a prefix or logs: a failed run's folder stays for a look, a passing one is removed.
RUN_BASE="$BUILD/$RUN_NAME"
RUN="$RUN_BASE/$(date +%Y%m%d-%H%M%S)-$$"
LOGS="$RUN/logs"
mkdir -p "$LOGS"
export WINEPREFIX="$RUN/prefix"
export WINEDEBUG=-all
source "$ROOT/e2e/e2e_lib.sh"
choose_wine32_mode || skip "32-bit programs cannot run (install wine32 and its preloader, or qemu-user)"
# Ends this run's Wine session (and nothing else) however the script ends.
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
