#!/usr/bin/env bash
# Runs one scenario through remote-sim and compares the trace with the expected one next to
# it (NAME.trace); a bad scenario (under bad/) must fail with exit status 2 and the error
# line in NAME.err. A first line "# options: ..." passes options to remote-sim.
# UPDATE=1 writes the expected files instead of comparing.
set -u
remote_sim=$1
scenario=$2
dir=$(cd "$(dirname "$scenario")" && pwd)
name=$(basename "$scenario" .scn)
options=$(sed -n '1s/^# options: //p' "$scenario")
cd "$dir" || exit 1
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT

if [ "$(basename "$dir")" = bad ]; then
    # shellcheck disable=SC2086
    "$remote_sim" $options "$name.scn" >/dev/null 2>"$actual"
    status=$?
    expected=$name.err
    if [ "$status" -ne 2 ]; then
        echo "expected exit status 2, got $status"
        cat "$actual"
        exit 1
    fi
else
    # shellcheck disable=SC2086
    "$remote_sim" $options "$name.scn" >"$actual"
    status=$?
    expected=$name.trace
    if [ "$status" -ne 0 ]; then
        echo "remote-sim exited with $status"
        exit 1
    fi
fi

if [ "${UPDATE:-0}" = 1 ]; then
    cp "$actual" "$expected"
    exit 0
fi
diff -u --label "expected $dir/$expected" --label "actual" "$expected" "$actual"
