# Shared environment of the project's scripts: cache folders and the private Wine prefix.
# Sourced, not run.
TROVA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TROVA_CACHE="$TROVA_ROOT/.cache"
export TROVA_DEPS="$TROVA_CACHE/deps"
export TROVA_BUILD="${TROVA_BUILD:-$TROVA_ROOT/build}"
export WINEPREFIX="$TROVA_CACHE/wine"
export WINEARCH=win32
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
    if ! pgrep -u "$(id -u)" -f 'system32\\services.exe' >/dev/null; then
        wineserver -p >/dev/null 2>&1 </dev/null
        setsid wine cmd /c exit </dev/null >/dev/null 2>&1
    fi
}
