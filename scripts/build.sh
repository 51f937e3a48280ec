#!/bin/bash
# Configures and builds the cross-build in build/ (the shipped folder is build/dist).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/env.sh"
if [ ! -f "$TROVA_BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$TROVA_BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-i686-mingw32.cmake" >/dev/null
fi
cmake --build "$TROVA_BUILD" -j "$(nproc)"
