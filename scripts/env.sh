# Shared environment of the project's scripts: cache folders and the private Wine prefix.
# Sourced, not run.
TROVA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TROVA_CACHE="$TROVA_ROOT/.cache"
export TROVA_DEPS="$TROVA_CACHE/deps"
export TROVA_BUILD="${TROVA_BUILD:-$TROVA_ROOT/build}"
# Target of the build: x86_64, which this machine's Wine runs, or i686 (the 32-bit build that
# the outside 32-bit components need; built and checked here, not run).
export TROVA_ARCH="${TROVA_ARCH:-x86_64}"
# TROVA_WINEPREFIX gives a second working copy its own prefix (and so its own wineserver).
export WINEPREFIX="${TROVA_WINEPREFIX:-$TROVA_CACHE/wine}"
export WINEARCH=win64
# Wine's launcher scripts prefer the 32-bit loader whenever wine32 is installed, but 32-bit Linux
# programs may not run at all (kernels without IA-32 emulation): always use the 64-bit loader.
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
