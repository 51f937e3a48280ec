#!/bin/bash
# Sets up (if needed), builds and runs the player. Without a display it starts a
# virtual one and writes a screenshot to shots/run.png a few seconds after start.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
. "$ROOT/scripts/env.sh"
. "$ROOT/scripts/display.sh"
"$ROOT/scripts/build.sh"

desktop=()
if [ -z "${DISPLAY:-}" ]; then
    trova_start_xvfb
    # Wine's own desktop with a taskbar, so that the tray icon shows on the screenshot.
    desktop=(explorer /desktop=shell,1280x800)
    echo "[run] no display: started Xvfb on $DISPLAY"
fi
trap 'wineserver -k >/dev/null 2>&1 || true; trova_stop_xvfb' EXIT
trova_wine_start
"$ROOT/scripts/register.sh"

mkdir -p "$ROOT/shots"
(cd "$TROVA_BUILD/dist" && wine "${desktop[@]}" TrovaPlayer6.exe "$@") &
player=$!
sleep 8
import -window root "$ROOT/shots/run.png" && echo "[run] screenshot: $ROOT/shots/run.png"
wait $player || true
