# Shared environment of the project's scripts: cache folders and the private Wine prefix.
# Sourced, not run.
TROVA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TROVA_CACHE="$TROVA_ROOT/.cache"
export TROVA_DEPS="$TROVA_CACHE/deps"

# Whether this machine runs 32-bit Linux programs (some kernels here boot without IA-32
# emulation): a tiny static i386 program that exits with 42, written and run, not guessed.
trova_runs_32bit_programs() {
    if [ -z "${TROVA_RUNS_32BIT:-}" ]; then
        local probe
        probe="$(mktemp "${TMPDIR:-/tmp}/trova-i386-probe.XXXXXX")"
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
        chmod +x "$probe"
        local rc=0
        "$probe" >/dev/null 2>&1 || rc=$?
        rm -f "$probe"
        TROVA_RUNS_32BIT=no
        [ "$rc" = 42 ] && TROVA_RUNS_32BIT=yes
        export TROVA_RUNS_32BIT
    fi
    [ "$TROVA_RUNS_32BIT" = yes ]
}

# Target of the build: i686, the programs we ship (the outside engine and video player control
# are 32-bit), wherever this machine runs them under wine32; otherwise x86_64, the 64-bit
# stand-in that wine64 runs. TROVA_ARCH forces either.
if [ -z "${TROVA_ARCH:-}" ]; then
    TROVA_ARCH=x86_64
    if [ -x /usr/lib/wine/wine ] && trova_runs_32bit_programs; then TROVA_ARCH=i686; fi
fi
export TROVA_ARCH
# Each target builds into its own folder (the shipped folder is <folder>/dist).
if [ "$TROVA_ARCH" = i686 ]; then
    export TROVA_BUILD="${TROVA_BUILD:-$TROVA_ROOT/build-i686}"
else
    export TROVA_BUILD="${TROVA_BUILD:-$TROVA_ROOT/build}"
fi
# TROVA_WINEPREFIX gives a second working copy its own prefix (and so its own wineserver).
export WINEPREFIX="${TROVA_WINEPREFIX:-$TROVA_CACHE/wine}"
export WINEARCH=win64
# Wine's launcher scripts prefer the 32-bit loader whenever wine32 is installed, which cannot
# start where 32-bit Linux programs do not run: always start the 64-bit loader, which hands a
# 32-bit program to the 32-bit loader beside it where wine32 is installed.
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
# (A script, not a link: the loader finds its companions by the name it was started under.)
mkdir -p "$TROVA_CACHE/bin"
# Written once and replaced atomically: test programs source this file in parallel.
for _tool in wine wine-stable; do
    if ! grep -qs "exec $WINELOADER " "$TROVA_CACHE/bin/$_tool"; then
        printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" > "$TROVA_CACHE/bin/$_tool.$$"
        chmod +x "$TROVA_CACHE/bin/$_tool.$$" && mv -f "$TROVA_CACHE/bin/$_tool.$$" "$TROVA_CACHE/bin/$_tool"
    fi
done
[ -L "$TROVA_CACHE/bin/wineserver" ] || ln -sfn "$WINESERVER" "$TROVA_CACHE/bin/wineserver"
case ":$PATH:" in *":$TROVA_CACHE/bin:"*) ;; *) export PATH="$TROVA_CACHE/bin:$PATH" ;; esac
export WINEDEBUG="${WINEDEBUG:--all}"

# Unix path to a Windows path on Wine's Z: drive, without starting Wine.
winepath_w() {
    local p
    p="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
    printf 'Z:%s' "${p//\//\\}"
}

# Starts one persistent wineserver and Wine's system processes, detached from the
# caller's output: a test runner that waits for its pipes would otherwise wait for ever.
trova_wine_start() {
    # Exits at once when this prefix already has its server.
    wineserver -p >/dev/null 2>&1 </dev/null || true
    if ! pgrep -u "$(id -u)" -f 'system32\\services.exe' >/dev/null || [ -n "${TROVA_WINEPREFIX:-}" ]; then
        setsid wine cmd /c exit </dev/null >/dev/null 2>&1
    fi
}
