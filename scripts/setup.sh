#!/bin/bash
# Prepares a Debian 12 machine for building and testing: Debian packages,
# cross-built dependencies and a private Wine prefix, all cached under .cache/.
# Idempotent: a second run only checks what is already there.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/env.sh"

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

log() { echo "[setup] $*"; }

PACKAGES=(
    mingw-w64 mingw-w64-tools g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
    wine wine64 xvfb xauth x11-utils fonts-wqy-microhei imagemagick
    libboost1.74-dev googletest cmake make dpkg-dev xz-utils
    clang libclang-rt-14-dev nsis procps
)

install_packages() {
    local missing=()
    if trova_runs_32bit_programs; then
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            log "this machine runs 32-bit programs: enabling the i386 architecture for wine32"
            $SUDO dpkg --add-architecture i386
        fi
        PACKAGES+=(wine32:i386)
    else
        log "this machine runs no 32-bit programs: wine32 is not installed"
    fi
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    local need_update=0
    if ! enable_source_packages; then need_update=1; fi
    if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
        log "apt-get update"
        $SUDO apt-get update -qq
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing: ${missing[*]}"
        $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# Returns 0 when deb-src entries were already present, 1 when it added them.
enable_source_packages() {
    if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return 0
    fi
    log "enabling Debian source packages"
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    done
    if [ -f /etc/apt/sources.list ] && grep -qE '^deb ' /etc/apt/sources.list; then
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
    fi
    return 1
}

# sqlite3.dll for both targets, from one unpacked source tree.
build_sqlite() {
    local out="$TROVA_DEPS/sqlite" arch
    local missing=()
    for arch in x86_64 i686; do
        [ -f "$out/$arch/sqlite3.dll" ] && [ -f "$out/$arch/libsqlite3.dll.a" ] && [ -f "$out/$arch/sqlite3.h" ] \
            || missing+=("$arch")
    done
    [ ${#missing[@]} -eq 0 ] && return
    log "building sqlite3.dll (${missing[*]}) from Debian's sqlite3 source package"
    local src="$TROVA_CACHE/src/sqlite3"
    rm -rf "$src" && mkdir -p "$src"
    (cd "$src" && apt-get source --download-only -qq sqlite3 >/dev/null 2>&1 \
        && dpkg-source -x --no-check sqlite3_*.dsc tree >/dev/null)
    (cd "$src/tree" && ./configure --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null)
    for arch in "${missing[@]}"; do
        mkdir -p "$out/$arch"
        (cd "$src/tree" && "$arch-w64-mingw32-gcc" -O2 -s -shared -DSQLITE_THREADSAFE=1 \
            '-DSQLITE_API=__declspec(dllexport)' sqlite3.c -o "$out/$arch/sqlite3.dll" \
            -static-libgcc "-Wl,--out-implib,$out/$arch/libsqlite3.dll.a")
        cp "$src/tree/sqlite3.h" "$out/$arch/"
    done
    rm -rf "$src/tree"
}

fetch_boost() {
    local out="$TROVA_DEPS/boost"
    [ -f "$out/libs/thread/src/future.cpp" ] && [ -e "$out/include/boost" ] && return
    log "extracting Boost.Thread sources from Debian's boost1.74 source package"
    local src="$TROVA_CACHE/src/boost"
    rm -rf "$src" "$out" && mkdir -p "$src" "$out/include"
    (cd "$src" && apt-get source --download-only -qq boost1.74 >/dev/null 2>&1)
    local archive
    archive=$(ls "$src"/boost1.74_*.orig.tar.* | head -n1)
    tar -xf "$archive" -C "$out" --strip-components=1 --wildcards \
        '*/libs/thread/src/win32/*.cpp' '*/libs/thread/src/future.cpp' '*/libs/chrono/src/chrono.cpp'
    # Only Boost's own headers, never the host's /usr/include, on the cross compiler's path.
    ln -s /usr/include/boost "$out/include/boost"
    rm -rf "$src"
}

# widl ships without the system .idl files; take them from Debian's mingw-w64 sources.
fetch_idl() {
    local out="$TROVA_DEPS/idl"
    [ -f "$out/oaidl.idl" ] && return
    log "extracting system .idl files from Debian's mingw-w64 source package"
    local src="$TROVA_CACHE/src/mingw-w64"
    rm -rf "$src" "$out" && mkdir -p "$src" "$out"
    (cd "$src" && apt-get source --download-only -qq mingw-w64 >/dev/null 2>&1)
    local archive
    archive=$(ls "$src"/mingw-w64_*.orig.tar.* | head -n1)
    tar -xf "$archive" -C "$out" --strip-components=3 --wildcards '*/mingw-w64-headers/include/*.idl'
    rm -rf "$src"
}

prepare_wine_prefix() {
    # A prefix made by wine64 alone has no 32-bit half (no syswow64), which the 32-bit programs
    # need: where they can run, such a prefix is made again (the font step below follows).
    if trova_runs_32bit_programs && [ -f "$WINEPREFIX/system.reg" ] \
            && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
        log "making the private Wine prefix again with its 32-bit half"
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating the private Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    if ! grep -q 'Fonts\\\\Replacements' "$WINEPREFIX/user.reg" 2>/dev/null; then
        log "adding font replacements for Chinese text"
        local reg="$TROVA_CACHE/fonts.reg"
        {
            printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
            for face in "Tahoma" "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "System" "SimSun" "宋体" "NSimSun" "Microsoft YaHei" "微软雅黑"; do
                printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
            done
        } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
        wine regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1
        wineserver -w
    fi
}

install_packages
mkdir -p "$TROVA_DEPS"
build_sqlite
fetch_boost
fetch_idl
prepare_wine_prefix
log "ready"
