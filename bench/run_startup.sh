#!/bin/bash
# Runs bench_startup against a shipped folder in a private copy of the project's Wine prefix,
# so the player's settings, per-user folders and COM registrations never touch the project's
# prefix. Run 1 starts with no channel database; the engine substitute then fills it, so
# later runs start with the catalogue loaded from the database. Besides the figures that
# bench_startup reads in Windows, prints the resident size of the player's Unix process.
#
# Usage: bench/run_startup.sh [build folder] [runs] [catalogue channel count]
# A channel count of 0 (the default) serves the engine substitute's built-in catalogue.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/env.sh"
. "$ROOT/scripts/display.sh"
BUILD="$(cd "${1:-$TROVA_BUILD}" && pwd)"
RUNS="${2:-5}"
CHANNELS="${3:-0}"

PREFIX="$(mktemp -d /tmp/trova-bench-prefix.XXXXXX)"
cp -a "$WINEPREFIX/." "$PREFIX/"
export WINEPREFIX="$PREFIX"
rm -rf "$PREFIX"/drive_c/users/*/AppData/Roaming/Vantel
if [ -z "${DISPLAY:-}" ]; then trova_start_xvfb; fi
trap 'trova_stop_xvfb; wineserver -w; rm -rf "$PREFIX"' EXIT

if [ "$CHANNELS" -gt 0 ]; then
    # The generated catalogue of bench_sync and bench_ui: 100 catalogs.
    awk -v n="$CHANNELS" 'BEGIN { for (i = 0; i < n; i++)
        printf "频道 %06d\t%08x%08x\t第 %d 号频道的节目介绍，全天播出精彩内容。\thttp://www.trova.tv/channel/%d.html\t目录 %02d\t%d\t%d\t%d\n",
               i, (i * 2654435761) % 4294967296, i, i, i, i % 100, i % 3 == 0, i * 37 % 20000, 256 + i % 8 * 64 }' \
        > "$PREFIX/catalogue.txt"
    export TRCORE_CATALOGUE="$(winepath_w "$PREFIX/catalogue.txt")"
fi

# The registration of scripts/register.sh, in this prefix.
for dll in TrovaCL.dll TrovaPlayerCtl.dll; do
    (cd "$BUILD/dist" && wine regsvr32 /s "$dll" </dev/null >/dev/null 2>&1) || echo "[bench] $dll failed to register"
done

# Resident size of the player's Unix process (its name is the program's), sampled while the
# benchmark runs; the last sample is taken after start-up has settled.
sample_player_memory() {
    while kill -0 "$1" 2>/dev/null; do
        for pid in $(pgrep '^TrovaPlayer6' || true); do
            if { tr '\0' '\n' < "/proc/$pid/environ" | grep -qx "WINEPREFIX=$PREFIX"; } 2>/dev/null; then
                awk '/^VmRSS|^VmHWM/ { printf "%s %d MB  ", $1, $2 / 1024 }' "/proc/$pid/status" > "$PREFIX/rss" 2>/dev/null || true
            fi
        done
        sleep 0.5
    done
}

for run in $(seq "$RUNS"); do
    # FRESH=1: every run starts without a channel database, like the first.
    if [ "${FRESH:-0}" = 1 ]; then rm -rf "$PREFIX"/drive_c/users/*/AppData/Roaming/Vantel; fi
    rm -f "$PREFIX/rss"
    wine "$BUILD/tests/bench_startup.exe" "$(winepath_w "$BUILD/dist/TrovaPlayer6.exe")" 1 | sed -e "s/^   1 /$(printf '%4d' "$run") /" -e "$([ "$run" -gt 1 ] && echo '/^ run /d')" &
    bench=$!
    sample_player_memory $bench &
    wait $bench
    sleep 0.6
    echo "     Unix process: $(cat "$PREFIX/rss" 2>/dev/null)"
done
