#!/bin/bash
# Sets up (if needed), builds both targets and runs every test under Wine on a private virtual
# display: on the 32-bit build that ships wherever this machine runs 32-bit programs, on the
# 64-bit stand-in only where it cannot (TROVA_ARCH=i686 or x86_64 forces one). Arguments go to
# CTest (e.g. -R name) and end the run after the unit tests.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
forced_arch="${TROVA_ARCH:-}"
"$ROOT/scripts/setup.sh"
. "$ROOT/scripts/env.sh"
. "$ROOT/scripts/display.sh"

runs_32bit=no
if trova_runs_32bit_programs && [ -x /usr/lib/wine/wine ]; then runs_32bit=yes; fi
if [ "$TROVA_ARCH" = i686 ] && [ $runs_32bit = no ]; then
    echo "TROVA_ARCH=i686: this machine runs no 32-bit programs (or wine32 is missing), so the 32-bit build cannot be tested here"
    exit 2
fi
if [ "$TROVA_ARCH" = i686 ]; then
    tested="the 32-bit build under wine32"
    [ -n "$forced_arch" ] && tested="$tested (TROVA_ARCH=i686)"
elif [ -n "$forced_arch" ]; then
    tested="the 64-bit stand-in under wine64 (TROVA_ARCH=$forced_arch); the 32-bit build was compiled and only its installer run"
    [ $runs_32bit = no ] && tested="the 64-bit stand-in under wine64 (TROVA_ARCH=$forced_arch); the 32-bit build was compiled, not run"
else
    tested="the 64-bit stand-in (this machine runs no 32-bit programs); the 32-bit build was compiled, not run"
fi
echo "tested: $tested"

SHIP_BUILD="$ROOT/build-i686"
STANDIN_BUILD="$ROOT/build"
SHIPPED_TARGETS=(TrovaPlayer6 TrovaCL TRCore TrovaPlayerCtl UpdateProbe skin_general)

# The build under test in full; of the other target, the shipped programs (the 32-bit ones with
# their engine-interface layout checks, or the stand-in's as a compile check).
"$ROOT/scripts/build.sh"
status=0
if [ "$TROVA_ARCH" = i686 ]; then
    other_arch=x86_64 other_build="$STANDIN_BUILD"
else
    other_arch=i686 other_build="$SHIP_BUILD"
fi
if [ $# -eq 0 ]; then
    echo "---- $other_arch build of the shipped programs ----"
    TROVA_ARCH=$other_arch TROVA_BUILD="$other_build" "$ROOT/scripts/build.sh" --target "${SHIPPED_TARGETS[@]}" \
        >"$TROVA_BUILD/build-$other_arch.log" 2>&1 \
        && echo "$other_arch build: ok" \
        || { tail -n 30 "$TROVA_BUILD/build-$other_arch.log"; echo "$other_arch build: FAILED"; status=1; }
fi

trova_start_xvfb
cleanup() { wineserver -k >/dev/null 2>&1 || true; trova_stop_xvfb; }
trap cleanup EXIT
trova_wine_start
"$ROOT/scripts/register.sh"

log="$TROVA_BUILD/ctest.log"
ctest --test-dir "$TROVA_BUILD" -V -j "$(nproc)" "$@" >"$log" 2>&1 || status=$?
# Full output of the failed test programs, then every program's GoogleTest count.
for n in $(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#([0-9]+): .*(Failed|Timeout|Exception|Not Run).*/\1/p' "$log"); do
    echo "---- output of test #$n ----"
    grep -E "^$n: " "$log" | cut -d' ' -f2-
done
echo "---- GoogleTest counts ----"
awk '/^ *Start +[0-9]+: /{sub(":","",$2); name[$2]=$3}
     match($0, /^[0-9]+: \[ *(PASSED|FAILED|SKIPPED) *\] [0-9]+ tests?/) {
         split($0, f, ":"); line=$0; sub(/^[0-9]+: /, "", line); printf "%-28s %s\n", name[f[1]], line }' "$log"
sed -nE '/^ *[0-9]+\/[0-9]+ Test +#/p; /tests passed|Total Test time/p' "$log"

# With CTest arguments (a chosen subset, e.g. -R name) the run ends here.
if [ $# -eq 0 ]; then
    # The XML reader under libFuzzer (native build), then the installer, which always packs the
    # 32-bit programs, in a throwaway prefix.
    "$ROOT/scripts/fuzz.sh" 60 || status=1
    TROVA_ARCH=i686 TROVA_BUILD="$SHIP_BUILD" "$ROOT/scripts/build.sh" --target installer >/dev/null \
        && "$ROOT/installer/test-installer.sh" "$SHIP_BUILD" || status=1
fi
echo "tested: $tested"
[ $status = 0 ] && echo "result: passed" || echo "result: FAILED"
exit $status
