#!/bin/bash
# Fuzzes the XML reader (common/xml) natively with clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer: builds into build-fuzz/, replays the seed corpus and the inputs
# kept from earlier runs, then fuzzes for a while. Exits non-zero on a finding, whose input is
# left in build-fuzz/artifacts/ (replay it with: build-fuzz/xml_parse_fuzzer <file>).
# Usage: scripts/fuzz.sh [seconds of fuzzing, default 60] [extra libFuzzer options...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${TROVA_FUZZ_BUILD:-$ROOT/build-fuzz}"
FUZZ_SECONDS="${1:-60}"
shift $(( $# > 0 ? 1 : 0 ))

command -v clang++ >/dev/null || { echo "[fuzz] clang++ is missing: run scripts/setup.sh"; exit 1; }
SOURCE="$ROOT/common/xml/fuzz"
cmake -S "$SOURCE" -B "$OUT" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$OUT" -j "$(nproc)" >/dev/null

mkdir -p "$OUT/corpus" "$OUT/artifacts"
# Each input is also parsed from a scratch file; keep that off the disk when possible.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

options=(-dict="$SOURCE/xml.dict" -max_len=12288 -timeout=10 -rss_limit_mb=2048
         -artifact_prefix="$OUT/artifacts/" -print_final_stats=1)

echo "[fuzz] replaying the seed corpus"
"$OUT/xml_parse_fuzzer" "${options[@]}" -runs=0 "$SOURCE/corpus" >"$OUT/replay.log" 2>&1 \
    || { cat "$OUT/replay.log"; echo "[fuzz] a seed input fails"; exit 1; }

echo "[fuzz] fuzzing for ${FUZZ_SECONDS} s"
# New inputs go to build-fuzz/corpus; the committed seeds stay as they are.
if ! "$OUT/xml_parse_fuzzer" "${options[@]}" -max_total_time="$FUZZ_SECONDS" "$@" \
        "$OUT/corpus" "$SOURCE/corpus" >"$OUT/fuzz.log" 2>&1; then
    tail -n 60 "$OUT/fuzz.log"
    echo "[fuzz] FINDING: see $OUT/artifacts/"
    exit 1
fi
grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$OUT/fuzz.log" || true
echo "[fuzz] no finding"
