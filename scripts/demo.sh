#!/usr/bin/env bash
# Builds everything and runs the main job: the demo scenario in remote-sim, the utility's logic
# on a simulated Windows desktop. Also builds the Windows program with mingw-w64.
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=2
SCENARIO=${1:-examples/demo.scn}

scripts/install-deps.sh

echo "== native build (build-release/)"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
cmake --build build-release -j"$JOBS"

echo "== Windows cross build, 32-bit mingw-w64 (build-win/)"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DRC_WERROR=ON
cmake --build build-win -j"$JOBS"

echo "== remote-sim $SCENARIO"
build-release/remote-sim "$SCENARIO"
