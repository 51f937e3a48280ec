#!/bin/bash
# Sets up (if needed), builds and runs every test under Wine on a private virtual display.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
. "$ROOT/scripts/env.sh"
. "$ROOT/scripts/display.sh"

"$ROOT/scripts/build.sh"

trova_start_xvfb
cleanup() { wineserver -k >/dev/null 2>&1 || true; trova_stop_xvfb; }
trap cleanup EXIT
trova_wine_start
"$ROOT/scripts/register.sh"

log="$TROVA_BUILD/ctest.log"
status=0
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
[ $# -eq 0 ] || exit $status
# The 32-bit build of the shipped programs, for the 32-bit outside components: this machine's
# Wine runs only the 64-bit build, so the 32-bit one is built (with its layout checks), not run.
echo "---- 32-bit build ----"
TROVA_ARCH=i686 TROVA_BUILD="$ROOT/build-i686" "$ROOT/scripts/build.sh" \
    --target TrovaPlayer6 TrovaCL TRCore TrovaPlayerCtl UpdateProbe >"$TROVA_BUILD/build-i686.log" 2>&1 \
    && echo "32-bit build: ok" || { tail -n 30 "$TROVA_BUILD/build-i686.log"; echo "32-bit build: FAILED"; status=1; }
# The XML reader under libFuzzer (native build), then the installer in a throwaway prefix.
"$ROOT/scripts/fuzz.sh" 60 || status=1
cmake --build "$TROVA_BUILD" --target installer >/dev/null && "$ROOT/installer/test-installer.sh" "$TROVA_BUILD" || status=1
exit $status
