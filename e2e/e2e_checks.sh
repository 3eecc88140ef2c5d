# The checks of the Wine runs (sourced by e2e/e2e_lib.sh and e2e/exe_smoke.sh, after LOGS is
# set): one PASS, FAIL or SKIP line a check, and under a FAIL what its readers read.
PASSED=0
FAILED=0
SKIPPED=0
FAILED_NAMES=()

say() { printf '%s [%5ss] %s\n' "==" "$SECONDS" "$*"; }

# What the readers saw last since the previous check, one file for each reader and what it was
# asked, so that a failed check can say what it read (also when the reading was done in the
# check's arguments). Files, since readers also run in command substitutions.
SEEN="$LOGS/seen"
mkdir -p "$SEEN"
seen() {
    local key=$1
    shift
    printf '%s\n' "$key" "$@" >"$SEEN/${key//[^A-Za-z0-9_.-]/_}"
}

show_seen() {
    local file
    for file in "$SEEN"/*; do
        [[ -e $file ]] || continue
        awk 'NR == 1 { print "    " $0 ":"; next } NF { print "      " $0 }' "$file"
    done
}

check() {
    local name=$1
    shift
    if "$@"; then
        PASSED=$((PASSED + 1))
        printf 'PASS %s\n' "$name"
    else
        FAILED=$((FAILED + 1))
        FAILED_NAMES+=("$name")
        printf 'FAIL %s\n' "$name"
        show_seen
    fi
    rm -f "$SEEN"/*
}

# A check that cannot be made on this machine, and why.
skip_check() {
    SKIPPED=$((SKIPPED + 1))
    printf 'SKIP %s: %s\n' "$1" "$2"
}

# The counts, and the names of the failed checks; fails when one did.
report_checks() {
    echo "$PASSED passed, $FAILED failed, $SKIPPED skipped"
    ((FAILED == 0)) && return 0
    printf 'failed: %s\n' "${FAILED_NAMES[@]}"
    return 1
}

# Retries a command every 0.2 s until it succeeds or `timeout` seconds have passed.
wait_for() {
    local timeout=$1
    shift
    local deadline=$((SECONDS + timeout))
    while ! "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}
