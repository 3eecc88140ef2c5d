#!/usr/bin/env bash
# Runs one scenario through remote-sim and compares the trace with the expected one next to
# it (NAME.trace); a bad scenario (under bad/) must fail with exit status 2 and the error
# line in NAME.err. A first line "# options: ..." passes options to remote-sim.
# UPDATE=1 writes the expected files instead of comparing.
set -u
remote_sim=$1
dir=$(cd "$(dirname "$2")" && pwd)
name=$(basename "$2" .scn)
options=$(sed -n '1s/^# options: //p' "$2")
cd "$dir" || exit 1
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT

if [ "$(basename "$dir")" = bad ]; then
    expected=$name.err want=2
    # shellcheck disable=SC2086
    "$remote_sim" $options "$name.scn" >/dev/null 2>"$actual"
else
    expected=$name.trace want=0
    # shellcheck disable=SC2086
    "$remote_sim" $options "$name.scn" >"$actual"
fi
status=$?
if [ "$status" -ne "$want" ]; then
    echo "remote-sim exited with $status, expected $want"
    cat "$actual"
    exit 1
fi
if [ "${UPDATE:-0}" = 1 ]; then
    cp "$actual" "$expected"
    exit 0
fi
diff -u --label "expected $dir/$expected" --label "actual" "$expected" "$actual"
