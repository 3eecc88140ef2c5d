#!/usr/bin/env bash
# Fails when the committed key-map reference differs from what the keymap tool prints.
#   check.sh KEYMAP_TOOL docs/keymap.md
set -euo pipefail
tool=$1
committed=$2
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$tool" >"$actual"
if ! diff -u "$committed" "$actual"; then
    echo "docs/keymap.md is out of date; regenerate it with: $tool > docs/keymap.md" >&2
    exit 1
fi
