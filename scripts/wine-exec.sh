#!/bin/bash
# Runs one cross-built program under the project's Wine prefix (CTest's emulator).
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
# The shipped folder's DLLs (sqlite3.dll, TRCore.dll, ...) are found through WINEPATH.
if [ -n "${TROVA_DIST_DIR:-}" ]; then
    export WINEPATH="$(winepath_w "$TROVA_DIST_DIR")"
fi
trova_wine_start
exec wine "$@"
