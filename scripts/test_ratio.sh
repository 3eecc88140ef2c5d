#!/usr/bin/env bash
# Prints the non-blank lines of test sources against those of the other code, and fails when
# the tests exceed RC_TEST_RATIO_MAX percent of it (38 by default).
# Code is C, C++, shell and Python source (.c .cpp .h .sh .py). Test sources are such files
# under tests/ and fuzz/, and the shell scripts of e2e/. The other code is every other such file:
# the product, sim/, tools/, measure/, bench/ and the programs of e2e/. scripts/, the developer's
# own tooling, counts on neither side; build trees are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
max=${RC_TEST_RATIO_MAX:-38}

files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files --cached --others --exclude-standard
    else
        find . \( -path './build*' -o -path ./.git \) -prune -o -type f -print | sed 's|^\./||'
    fi
}

tests=0
other=0
while IFS= read -r file; do
    case $file in *.c | *.cpp | *.h | *.sh | *.py) ;; *) continue ;; esac
    [[ -f $file ]] || continue # deleted, not yet staged
    lines=$(grep -cv '^[[:space:]]*$' "$file" || true)
    case $file in
        scripts/*) ;;
        tests/* | fuzz/* | e2e/*.sh) tests=$((tests + lines)) ;;
        *) other=$((other + lines)) ;;
    esac
done < <(files)

awk -v t="$tests" -v o="$other" -v max="$max" 'BEGIN {
    printf "test sources: %d lines, other code: %d lines, ratio %.1f %% (at most %d %%)\n",
        t, o, o ? 100 * t / o : 0, max
    exit (o == 0 || 100 * t > max * o) ? 1 : 0
}'
