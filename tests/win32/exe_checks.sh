#!/usr/bin/env bash
# Checks of the built RemoteControl.exe that need no Windows: a 32-bit GUI program of at most
# 120 KiB that imports only DLLs of Windows itself, carries no manifest, and whose libraries
# have no dynamic initialisers that could run after the static construction of the entry, and
# call on none of the C++ runtime's exception support nor mingw-w64's printf family.
# RemoteMonitor.exe, built from the same libraries, is a 32-bit console program under the same
# rules.
#   tests/win32/exe_checks.sh BUILD_DIR OBJDUMP WINDRES
set -uo pipefail

build=$1 objdump=$2 windres=$3
exe=$build/RemoteControl.exe
failed=0
fail() {
    echo "FAIL - $*"
    failed=1
}

size=$(stat -c %s "$exe") || { echo "FAIL - cannot read $exe"; exit 1; }
((size <= 120 * 1024)) || fail "$size bytes, more than 120 KiB"

# PROGRAM SUBSYSTEM: 2 for GUI, 3 for console.
check_program() {
    local program=$1 subsystem=$2 headers dll
    headers=$("$objdump" -p "$program") || { fail "cannot read $program"; return; }
    grep -q 'Magic[[:space:]]*010b' <<<"$headers" || fail "$program: not a 32-bit (PE32) program"
    grep -q "Subsystem[[:space:]]*0000000$subsystem" <<<"$headers" ||
        fail "$program: not a subsystem $subsystem program"
    # Windows' own DLLs; msvcrt.dll has come with every Windows since 95 OSR2.
    local allowed='^(ADVAPI32|KERNEL32|msvcrt|ole32|OLEAUT32|SHELL32|USER32)\.dll$'
    while read -r dll; do
        [[ $dll =~ $allowed ]] || fail "$program imports $dll, which Windows does not bring"
    done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
    # Resource type 24 is a manifest; one with a requested execution level would end the
    # registry virtualization that standard users need for the settings under HKLM.
    "$windres" -i "$program" -O rc 2>/dev/null | grep -q 'RT_MANIFEST' &&
        fail "$program carries a manifest"
}

check_program "$exe" 2
check_program "$build/RemoteMonitor.exe" 3

resources=$("$windres" -i "$exe" -O rc 2>/dev/null) || fail "cannot read the resources"
for dialog in 20 21 107; do
    grep -q "^$dialog DIALOG" <<<"$resources" || fail "dialog $dialog is missing"
done

for library in "$build/librc_logic.a" "$build/librc_win32.a"; do
    "$objdump" -h "$library" | grep -q '\.ctors' && fail "$(basename "$library") has a dynamic initialiser"
    # A guarded local static, a throw, a type's RTTI or a printf call would each bring in a
    # runtime several times the program's size.
    "$objdump" -t "$library" | grep -oE '__cxa_guard_acquire|__cxa_throw|__gxx_personality\w*|__ZTI\w+|\w*printf\w*' |
        sort -u | while read -r symbol; do
            echo "FAIL - $(basename "$library") refers to $symbol"
        done | grep . && failed=1
done

[[ $failed -eq 0 ]] && echo "RemoteControl.exe and RemoteMonitor.exe checks passed"
exit $failed
