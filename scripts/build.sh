#!/bin/bash
# Configures and builds the cross-build in $TROVA_BUILD (build/ by default; the shipped folder is
# build/dist) for $TROVA_ARCH; arguments go to "cmake --build" (e.g. --target X).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/env.sh"
if [ ! -f "$TROVA_BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$TROVA_BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$TROVA_ARCH-mingw32.cmake" >/dev/null
fi
cmake --build "$TROVA_BUILD" -j "$(nproc)" "$@"
