#!/usr/bin/env bash
# Installs, with apt-get, the build and test tools that are missing on a Debian machine.
#   scripts/install-deps.sh          compilers, CMake, GoogleTest, Google Benchmark, clang-format,
#                                    the mingw-w64 cross compilers
#   scripts/install-deps.sh --wine   also Wine (with its 32-bit part), Xvfb and the tools of the
#                                    Wine end-to-end run
# A second run finds everything present and returns at once.
set -euo pipefail

BASE_PACKAGES=(cmake g++ libgtest-dev libbenchmark-dev clang-format
               g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools)
# The exe is 32-bit, so Wine needs its i386 part beside wine64. Where the kernel runs no 32-bit
# user code, the end-to-end run starts it under qemu-i386 through Wine's preloader.
WINE_PACKAGES=(wine64 wine wine32:i386 wine32-preloader:i386 qemu-user xvfb xdotool imagemagick)

want_wine=0
for arg in "$@"; do
    case "$arg" in
        --wine) want_wine=1 ;;
        *) echo "usage: $0 [--wine]" >&2; exit 2 ;;
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
mapfile -t missing < <(missing_of "${packages[@]}")

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install-deps: everything is installed"
    exit 0
fi
echo "install-deps: installing ${missing[*]}"
apt_install "${missing[@]}"
