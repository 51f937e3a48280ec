#!/bin/bash
# Runs bench_startup against a shipped folder in a private copy of the project's Wine prefix,
# so the player's settings, per-user folders and COM registrations never touch the project's
# prefix. Run 1 starts with no channel database; the engine substitute then fills it, so
# later runs start with the catalogue loaded from the database. Besides the figures that
# bench_startup reads in Windows, prints the resident size of the player's Unix process.
#
# Usage: bench/run_startup.sh [build folder] [runs] [catalogue channel count ...]
# A channel count of 0 (the default) serves the engine substitute's built-in catalogue of 44.
# With several counts, each gets a fresh prefix in turn, and the medians of their later runs
# (frame shown, all painted) are compared with those of the first count, in the same run.
# SETTLE_MS (default 3000): how long the probe goes on after the list is complete, to cover
# the rest of the synchronisation. TROVA_BENCH_DRIVE=keyword: after each start a catalog is
# expanded and the keyword typed into the search box, with a screenshot of each in
# shots/startup-<channels>-<run>-{expanded,searched}.png.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/env.sh"
. "$ROOT/scripts/display.sh"
BUILD="$(cd "${1:-$TROVA_BUILD}" && pwd)"
RUNS="${2:-5}"
shift $(( $# < 2 ? $# : 2 ))
COUNTS=("${@:-0}")
SETTLE_MS="${SETTLE_MS:-3000}"
BASE_PREFIX="$WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then trova_start_xvfb; fi
PREFIX=""
trap 'trova_stop_xvfb; wineserver -w; [ -n "$PREFIX" ] && rm -rf "$PREFIX"' EXIT

# Median of the numbers on stdin.
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print -1 }'; }

run_series() {
CHANNELS="$1"
PREFIX="$(mktemp -d /tmp/trova-bench-prefix.XXXXXX)"
cp -a "$BASE_PREFIX/." "$PREFIX/"
export WINEPREFIX="$PREFIX"
rm -rf "$PREFIX"/drive_c/users/*/AppData/Roaming/Vantel
EXPECTED=44
unset TRCORE_CATALOGUE
echo "== $([ "$CHANNELS" -gt 0 ] && echo "$CHANNELS generated" || echo "44 built-in") channels"

if [ "$CHANNELS" -gt 0 ]; then
    EXPECTED="$CHANNELS"
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

# Screenshots when the benchmark reports that it expanded a catalog and typed a keyword.
take_shots() {
    mkdir -p "$ROOT/shots"
    for marker in expanded searched; do
        until grep -q "^\[drive\] $marker" "$1" 2>/dev/null; do
            kill -0 "$2" 2>/dev/null || return 0
            sleep 0.2
        done
        import -window root "$ROOT/shots/$3-$marker.png" || true
    done
}

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

: > "$PREFIX/figures"
for run in $(seq "$RUNS"); do
    # FRESH=1: every run starts without a channel database, like the first.
    if [ "${FRESH:-0}" = 1 ]; then rm -rf "$PREFIX"/drive_c/users/*/AppData/Roaming/Vantel; fi
    rm -f "$PREFIX/rss"
    wine "$BUILD/tests/bench_startup.exe" "$(winepath_w "$BUILD/dist/TrovaPlayer6.exe")" 1 "$SETTLE_MS" 300000 "$EXPECTED" \
        | sed -u -e 's/\r$//' -e "s/^   1 /$(printf '%4d' "$run") /" -e "$([ "$run" -gt 1 ] && echo '/^ run /d')" \
        | tee -a "$PREFIX/figures" "$PREFIX/run-$run" &
    bench=$!
    sample_player_memory $bench &
    if [ -n "${TROVA_BENCH_DRIVE:-}" ]; then take_shots "$PREFIX/run-$run" "$bench" "startup-$CHANNELS-$run" & fi
    wait $bench
    sleep 0.6
    echo "     Unix process: $(cat "$PREFIX/rss" 2>/dev/null)"
done
# Later runs: the database is filled when the player starts.
SHOWN=$(awk '$1 ~ /^[0-9]+$/ && $1 > 1 { print $2 }' "$PREFIX/figures" | median)
PAINTED=$(awk '$1 ~ /^[0-9]+$/ && $1 > 1 { print $4 }' "$PREFIX/figures" | median)
UNANSWERED=$(awk '$1 ~ /^[0-9]+$/ { print $6 }' "$PREFIX/figures" | sort -n | tail -1)
echo "   median of runs 2..$RUNS: shown $SHOWN ms, all painted $PAINTED ms; longest unanswered message of all runs $UNANSWERED ms"
echo "$CHANNELS $SHOWN $PAINTED $UNANSWERED" >> "$RESULTS"
wineserver -w
rm -rf "$PREFIX"
PREFIX=""
}

RESULTS="$(mktemp /tmp/trova-bench-results.XXXXXX)"
for count in "${COUNTS[@]}"; do run_series "$count"; done
if [ "${#COUNTS[@]}" -gt 1 ]; then
    awk 'NR == 1 { shown = $2; painted = $3; first = $1 }
         NR > 1 { printf "start with %s vs %s channels stored: shown x%.2f, all painted x%.2f; longest unanswered %s ms\n",
                  ($1 > 0 ? $1 : 44), (first > 0 ? first : 44), $2 / shown, $3 / painted, $4 }' "$RESULTS"
fi
rm -f "$RESULTS"
