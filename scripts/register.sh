#!/bin/bash
# Registers the shipped COM servers in the private Wine prefix.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/env.sh"
for dll in TrovaCL.dll TrovaPlayerCtl.dll; do
    if [ -f "$TROVA_BUILD/dist/$dll" ]; then
        (cd "$TROVA_BUILD/dist" && wine regsvr32 /s "$dll" </dev/null >/dev/null 2>&1) || echo "[register] $dll failed"
    fi
done
