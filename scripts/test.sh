#!/usr/bin/env bash
# Builds and runs every test: installs what is missing, checks the formatting, the icons and the
# share of test code (scripts/test_ratio.sh), builds the native tree with sanitizers and runs its
# tests, runs each fuzz target for a bounded time (RC_FUZZ_SECONDS, 30 by default), then builds
# the Windows tree with mingw-w64 and runs its tests, RemoteControl.exe under Wine among them, on
# a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=2

scripts/install-deps.sh --wine

echo "== formatting (clang-format)"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- '*.h' '*.cpp' | xargs -0 --no-run-if-empty clang-format --dry-run --Werror
else
    find . -path ./build\* -prune -o \( -name '*.h' -o -name '*.cpp' \) -print0 |
        xargs -0 --no-run-if-empty clang-format --dry-run --Werror
fi

echo "== icons (tools/icons/draw_icons.py --check)"
# Debian's Python, whose Pillow install-deps.sh brings (python3 may be another one).
/usr/bin/python3 tools/icons/draw_icons.py --check

echo "== test-to-code ratio"
scripts/test_ratio.sh

echo "== native build with AddressSanitizer and UndefinedBehaviorSanitizer (build/)"
cmake -S . -B build -DRC_SANITIZE=ON -DRC_WERROR=ON
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure

echo "== fuzzing with libFuzzer, ${RC_FUZZ_SECONDS:-30} s a target (build-fuzz/)"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DRC_FUZZ=ON -DRC_WERROR=ON
cmake --build build-fuzz -j"$JOBS"
ctest --test-dir build-fuzz --output-on-failure

echo "== Windows cross build, 32-bit mingw-w64 (build-win/)"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DRC_WERROR=ON
cmake --build build-win -j"$JOBS"
xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir build-win --output-on-failure

echo "== all tests passed"
