#!/usr/bin/env bash
# Installs, with apt-get, the build and test tools that are missing on a Debian machine.
#   scripts/install-deps.sh          compilers, CMake, GoogleTest, Google Benchmark, clang-format,
#                                    clang with its libFuzzer runtime, the mingw-w64 cross
#                                    compilers, NSIS for the installer, Pillow for the icon script
#   scripts/install-deps.sh --bench  also valgrind, for the instruction counts of scripts/bench.sh
#   scripts/install-deps.sh --wine   also Wine (with its 32-bit part), Xvfb and the tools of the
#                                    Wine end-to-end run; on a kernel that cannot run 32-bit
#                                    programs, QEMU's user-mode emulator runs Wine's 32-bit loader
# A second run finds everything present and returns at once.
set -euo pipefail

# libclang-rt-dev is the sanitizer and libFuzzer runtime of the default clang (clang 14's
# libclang-rt-14-dev on Debian 12); time gives the soak test its peak memory.
BASE_PACKAGES=(cmake g++ libgtest-dev libbenchmark-dev clang-format clang libclang-rt-dev
               g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools nsis python3-pil time)
BENCH_PACKAGES=(valgrind)
# The exe is 32-bit, so Wine needs its i386 part beside wine64; the preloader keeps the 32-bit
# address space in one piece (without it an emulated start takes a minute). Wine's own fonts
# give the caption buttons their glyphs, Liberation stands in for Arial.
WINE_PACKAGES=(wine64 wine wine32:i386 wine32-preloader:i386 fonts-wine fonts-liberation
               xvfb xauth xdotool imagemagick)
I386_ELF_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_ELF_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

want_wine=0
want_bench=0
for arg in "$@"; do
    case "$arg" in
        --wine) want_wine=1 ;;
        --bench) want_bench=1 ;;
        *) echo "usage: $0 [--wine] [--bench]" >&2; exit 2 ;;
    esac
done

is_installed() {
    [[ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" == installed ]]
}

missing_of() {
    local package
    for package in "$@"; do
        is_installed "$package" || echo "$package"
    done
}

as_root() {
    if [[ $EUID -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "install-deps: need root (or sudo) to run: $*" >&2
        exit 1
    fi
}

apt_updated=0
apt_update_once() {
    if [[ $apt_updated -eq 0 ]]; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update
        apt_updated=1
    fi
}

apt_install() {
    apt_update_once
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$@"
}

if [[ $want_wine -eq 1 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi

packages=("${BASE_PACKAGES[@]}")
if [[ $want_wine -eq 1 ]]; then
    packages+=("${WINE_PACKAGES[@]}")
fi
if [[ $want_bench -eq 1 ]]; then
    packages+=("${BENCH_PACKAGES[@]}")
fi
mapfile -t missing < <(missing_of "${packages[@]}")

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install-deps: every package is installed"
else
    echo "install-deps: installing ${missing[*]}"
    apt_install "${missing[@]}"
fi

# Some kernels (virtual machines among them) run no 32-bit x86 code at all: neither Wine's
# 32-bit loader nor a 32-bit code segment under the 64-bit one. There the kernel hands 32-bit
# programs to qemu-i386, registered once per boot.
runs_i386() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}
if [[ $want_wine -eq 1 ]] && ! runs_i386; then
    is_installed qemu-user || apt_install qemu-user
    binfmt=/proc/sys/fs/binfmt_misc
    [[ -e $binfmt/register ]] || as_root mount -t binfmt_misc binfmt_misc "$binfmt"
    if [[ ! -e $binfmt/qemu-i386 ]]; then
        echo ":qemu-i386:M::$I386_ELF_MAGIC:$I386_ELF_MASK:/usr/bin/qemu-i386:F" |
            as_root tee "$binfmt/register" >/dev/null
    fi
    runs_i386 || { echo "install-deps: 32-bit programs still do not run" >&2; exit 1; }
    echo "install-deps: 32-bit programs run under qemu-i386"
fi
