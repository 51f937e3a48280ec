#!/bin/bash
# Sets up (if needed), builds and runs the player: the 32-bit build that ships wherever this
# machine runs 32-bit programs, the 64-bit stand-in otherwise (TROVA_ARCH forces one). Without
# a display it starts a virtual one and writes a screenshot to shots/run.png a few seconds
# after start.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
forced_arch="${TROVA_ARCH:-}"
"$ROOT/scripts/setup.sh"
. "$ROOT/scripts/env.sh"
. "$ROOT/scripts/display.sh"
"$ROOT/scripts/build.sh" --target TrovaPlayer6 TrovaCL TRCore TrovaPlayerCtl UpdateProbe skin_general
if [ "$TROVA_ARCH" = i686 ]; then
    echo "[run] the 32-bit player under wine32, from $TROVA_BUILD/dist"
else
    why="this machine runs no 32-bit programs"
    [ -n "$forced_arch" ] && why="TROVA_ARCH=$forced_arch"
    echo "[run] the 64-bit stand-in under wine64 ($why), from $TROVA_BUILD/dist"
fi

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
