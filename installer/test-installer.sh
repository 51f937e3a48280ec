#!/bin/bash
# Tests TrovaPlayer6-setup.exe under Wine. First what it packs: stripped 32-bit programs, and
# its size. Then, where this machine runs 32-bit programs (wine32): silent install into a folder
# with a blank in its name, files, COM and trova:// registrations in the 32-bit registry view,
# shortcuts; starts the installed player, opens a trova:// link through the shell and checks
# that the running player is asked to play it; then a silent uninstall while the player runs,
# and what must (and must not) remain.
#
# Usage: installer/test-installer.sh [build folder, default $TROVA_BUILD or build/]
#
# Installing registers the COM servers machine-wide, and uninstalling removes them again, so
# the test runs in its own Wine prefix, .cache/wine-installer, copied afresh from the
# project's private prefix .cache/wine: the registrations that other test programs rely on
# stay untouched, and so does the shared wineserver.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/env.sh"
. "$ROOT/scripts/display.sh"

BUILD="$(cd "${1:-$TROVA_BUILD}" && pwd)"
SETUP="$BUILD/TrovaPlayer6-setup.exe"
[ -f "$SETUP" ] || { echo "no $SETUP: cmake --build $BUILD --target installer"; exit 2; }
PROGRAMS=(TrovaPlayer6.exe TrovaCL.dll TRCore.dll TrovaPlayerCtl.dll UpdateProbe.dll sqlite3.dll)

passed=0
failed=0
check() {  # check "what" command...
    local what="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok      $what"
    else
        failed=$((failed + 1))
        echo "FAILED  $what"
    fi
}
summary() {
    echo "installer checks: $passed ok, $failed failed"
    [ "$failed" = 0 ]
}
# A 32-bit Windows program (PE32) without debug information or symbol table.
stripped_pe32() {
    local headers
    headers="$(i686-w64-mingw32-objdump -h "$1" 2>/dev/null)" || return 1
    grep -q 'file format pei-i386' <<<"$headers" && ! grep -q '\.debug_' <<<"$headers" \
        && i686-w64-mingw32-objdump -t "$1" 2>/dev/null | grep -q 'no symbols'
}

echo "== what the installer packs (from $BUILD/dist)"
for f in "${PROGRAMS[@]}"; do
    check "$f is a stripped 32-bit program" stripped_pe32 "$BUILD/dist/$f"
done
setup_bytes=$(stat -c %s "$SETUP")
echo "        TrovaPlayer6-setup.exe: $setup_bytes bytes ($((setup_bytes / 1024)) KB)"
check "installer under 3 MB" test "$setup_bytes" -lt $((3 * 1024 * 1024))
if ! trova_runs_32bit_programs || [ ! -x /usr/lib/wine/wine ]; then
    echo "this machine runs no 32-bit programs (or wine32 is missing): the installer was checked, not run"
    summary
    exit
fi

SHARED_PREFIX="$WINEPREFIX"
export WINEPREFIX="$TROVA_CACHE/wine-installer"
[ -f "$SHARED_PREFIX/system.reg" ] || { echo "no Wine prefix: run scripts/setup.sh"; exit 2; }
rm -rf "$WINEPREFIX"
cp -a "$SHARED_PREFIX" "$WINEPREFIX"
WORK="$(mktemp -d /tmp/trova-installer-test.XXXXXX)"
LOG="$WORK/player.log"

trova_start_xvfb
cleanup() {
    # Ends only the processes of this test's own prefix.
    wineserver -k >/dev/null 2>&1 || true
    trova_stop_xvfb
    rm -rf "$WORK" "$WINEPREFIX"
}
trap cleanup EXIT
trova_wine_start

DRIVE_C="$WINEPREFIX/drive_c"
INSTALL_WIN='C:\Trova Test\Player'
INSTALL_UNIX="$DRIVE_C/Trova Test/Player"
PLAYER_WIN="$INSTALL_WIN\\TrovaPlayer6.exe"
MENU_UNIX="$DRIVE_C/ProgramData/Microsoft/Windows/Start Menu/Programs/Vantel"
UNINST_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TrovaPlayer6'
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
APPDATA_UNIX="$(find "$DRIVE_C/users" -maxdepth 4 -path "*AppData/Roaming" ! -path "*/Public/*" | head -n1)/Vantel"

# The installer and the programs are 32-bit: they see the 32-bit registry view of HKLM\Software
# and of class identifiers, whatever the bitness of the reg.exe that Wine's launcher starts.
# ProgIDs and protocols under HKCR are shared by both views. CLSID_VIEW=/reg:64 looks at the
# 64-bit view instead.
CLSID_VIEW=/reg:32
reg_view() {
    case "$1" in
        HKLM\\*) echo /reg:32 ;;
        HKCR\\CLSID\\*) echo "$CLSID_VIEW" ;;
    esac
}
# Value of a registry value ("" for the default one), or nothing when absent.
reg_value() {
    local args=(/v "$2")
    [ -z "$2" ] && args=(/ve)
    wine reg query "$1" "${args[@]}" $(reg_view "$1") 2>/dev/null | tr -d '\r' |
        sed -nE 's/^ +[^ ].*[[:space:]]+REG_[A-Z_]+[[:space:]]+(.*)$/\1/p; s/^ +[^ ].*[[:space:]]+REG_[A-Z_]+$//p' | head -n1
}
reg_exists() { wine reg query "$1" $(reg_view "$1") >/dev/null 2>&1; }
server_of() {  # InprocServer32 of the class registered for a ProgID
    local clsid
    clsid="$(reg_value "HKCR\\$1\\CLSID" "")"
    [ -n "$clsid" ] && reg_value "HKCR\\CLSID\\$clsid\\InprocServer32" ""
}
wait_for() {  # wait_for seconds command...
    local limit=$(($1 * 4))
    shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.25; done
    return 1
}
player_window() { xwininfo -root -tree 2>/dev/null | grep -q '"Vantel"'; }
no_player_window() { ! player_window; }
log_has() { [ -f "$LOG" ] && grep -q "$1" "$LOG"; }
# Whether a Linux process of this test's prefix has a command line that matches $1.
prefix_process() {
    local pid
    for pid in $(pgrep -f "$1"); do
        { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
# The uninstaller runs on from a copy of itself (Un_A.exe); it and the player it asked to quit
# are given a bounded time to end before what they leave behind is checked.
uninstall_done() { ! prefix_process 'TrovaPlayer6\.exe|Un_[A-Z]\.exe|uninstall\.exe'; }

echo "== silent install into $INSTALL_WIN"
# /D= takes the rest of the command line as it is, blanks included, so it must not be quoted:
# cmd passes the line on unchanged.
wine cmd /c "$(winepath_w "$SETUP") /S /D=$INSTALL_WIN" </dev/null >/dev/null 2>&1
check "installer exit code 0" test $? = 0
for f in TrovaPlayer6.exe TrovaCL.dll TRCore.dll TrovaPlayerCtl.dll UpdateProbe.dll sqlite3.dll uninstall.exe \
         skin/general/skin.xml skin/general/main.bmp skin/general/channellist.bmp; do
    check "installed $f" test -f "$INSTALL_UNIX/$f"
done
check "trova: is a URL protocol" reg_exists 'HKCR\trova'
check "trova: has \"URL Protocol\"" test "$(wine reg query 'HKCR\trova' /v 'URL Protocol' 2>/dev/null | grep -c 'URL Protocol')" = 1
expected_command="\"$PLAYER_WIN\" -trova \"%1\""
actual_command="$(reg_value 'HKCR\trova\shell\open\command' '')"
check "trova: open command is $expected_command" test "$actual_command" = "$expected_command"
check "TrovaCL registered from the program folder" \
    test "$(server_of TROVACL.TrovaCLCtrl.1 | tr 'A-Z' 'a-z')" = "$(printf '%s' "$INSTALL_WIN\\TrovaCL.dll" | tr 'A-Z' 'a-z')"
check "TrovaPlayerCtl registered from the program folder" \
    test "$(server_of TrovaPlayerCtl.TrovaPlayerCtl.1 | tr 'A-Z' 'a-z')" = "$(printf '%s' "$INSTALL_WIN\\TrovaPlayerCtl.dll" | tr 'A-Z' 'a-z')"
check "Start menu shortcut to the player" test -f "$MENU_UNIX/TrovaPlayer6.lnk"
check "Start menu shortcut to the uninstaller" test -n "$(find "$MENU_UNIX" -name '*.lnk' ! -name 'TrovaPlayer6.lnk' 2>/dev/null)"
check "uninstall entry" test "$(reg_value "$UNINST_KEY" InstallLocation)" = "$INSTALL_WIN"

echo "== the installed player and a trova:// link through the shell"
(cd "$INSTALL_UNIX" && TROVAPLAYER_LOG="$(winepath_w "$LOG")" setsid wine "$PLAYER_WIN" </dev/null >/dev/null 2>&1 &)
check "player window appears" wait_for 40 player_window
sleep 3
mkdir -p "$ROOT/shots"
import -window root "$ROOT/shots/installer-player.png" 2>/dev/null || true
wine start 'trova://global/installer-check-42' </dev/null >/dev/null 2>&1
check "'wine start trova://global/installer-check-42' reaches the running player" \
    wait_for 20 log_has 'method 1 play ".*installer-check-42"'
wine cmd /c start "" 'trova://global:9000/second-link-7' </dev/null >/dev/null 2>&1
check "'cmd /c start trova://global:9000/...' reaches the running player, port kept" \
    wait_for 20 log_has 'method 1 play ".*:9000/second-link-7"'
check "still one player window" test "$(xwininfo -root -tree | grep -c '"Vantel"')" = 1
[ -f "$LOG" ] && sed 's/^/        log: /' "$LOG" | grep 'method 1'

echo "== installing again over the running player"
wine cmd /c "$(winepath_w "$SETUP") /S /D=$INSTALL_WIN" </dev/null >/dev/null 2>&1
check "reinstall exit code 0" test $? = 0
check "the running player was asked to quit for it and did" wait_for 10 no_player_window
check "player still installed" test -f "$INSTALL_UNIX/TrovaPlayer6.exe"
# With no player running, the link starts one, which plays it once its controls exist.
(TROVAPLAYER_LOG="$(winepath_w "$LOG")" setsid wine start 'trova://global/cold-start-9' </dev/null >/dev/null 2>&1 &)
check "a trova:// link with no player running starts the player" wait_for 40 player_window
check "and the new player plays that link" wait_for 20 log_has 'method 1 play ".*cold-start-9"'

echo "== the user's data, settings and start-with-Windows value before uninstalling"
mkdir -p "$APPDATA_UNIX/data"
echo keep >"$APPDATA_UNIX/data/user-file.txt"
wine reg add 'HKCU\Software\Vantel\Setting' /v InstallerTest /t REG_SZ /d kept /f >/dev/null 2>&1
wine reg add "$RUN_KEY" /v vantel-tray /t REG_SZ /d "$PLAYER_WIN -startmin" /f /reg:32 >/dev/null 2>&1
wine reg add "$RUN_KEY" /v other-program /t REG_SZ /d 'C:\other\other.exe' /f /reg:32 >/dev/null 2>&1

echo "== silent uninstall while the player runs"
wine "$INSTALL_WIN\\uninstall.exe" /S </dev/null >/dev/null 2>&1
# The uninstaller runs on from a copy of itself; its last step removes the uninstall entry.
check "uninstaller finishes" wait_for 60 eval '! reg_exists "$UNINST_KEY"'
check "the running player was asked to quit and did" wait_for 10 no_player_window
check "uninstaller and player processes ended" wait_for 60 uninstall_done
check "program folder removed" test ! -e "$INSTALL_UNIX"
check "trova: protocol removed" eval '! reg_exists "HKCR\\trova"'
check "TrovaCL unregistered" test -z "$(server_of TROVACL.TrovaCLCtrl.1)"
check "TrovaPlayerCtl unregistered" test -z "$(server_of TrovaPlayerCtl.TrovaPlayerCtl.1)"
check "Start menu folder removed" test ! -e "$MENU_UNIX"
check "start-with-Windows value of the player removed" test -z "$(reg_value "$RUN_KEY" vantel-tray)"
check "other programs' start-up values kept" test "$(reg_value "$RUN_KEY" other-program)" = 'C:\other\other.exe'
check "user data folder kept" test -f "$APPDATA_UNIX/data/user-file.txt"
check "user settings kept" test "$(reg_value 'HKCU\Software\Vantel\Setting' InstallerTest)" = kept

echo "== silent install into the default folder, then uninstall from there"
wine "$SETUP" /S </dev/null >/dev/null 2>&1
check "default install exit code 0" test $? = 0
default_dir="$(reg_value "$UNINST_KEY" InstallLocation)"
check "default folder is the 32-bit Program Files (x86)\\Vantel\\TrovaPlayer6" \
    test "$default_dir" = 'C:\Program Files (x86)\Vantel\TrovaPlayer6'
check "player installed there" test -f "$DRIVE_C/Program Files (x86)/Vantel/TrovaPlayer6/TrovaPlayer6.exe"
for f in "${PROGRAMS[@]}"; do
    check "installed $f is a stripped 32-bit program" \
        stripped_pe32 "$DRIVE_C/Program Files (x86)/Vantel/TrovaPlayer6/$f"
done
# (The 64-bit view may hold the 64-bit stand-in's own registration from the shared prefix.)
installed_control='C:\Program Files (x86)\Vantel\TrovaPlayer6\TrovaCL.dll'
same_path() { [ "$(printf '%s' "$1" | tr 'A-Z' 'a-z')" = "$(printf '%s' "$2" | tr 'A-Z' 'a-z')" ]; }
check "TrovaCL registered in the 32-bit view, not the 64-bit one" eval \
    'same_path "$(server_of TROVACL.TrovaCLCtrl.1)" "$installed_control" \
     && ! (CLSID_VIEW=/reg:64; same_path "$(server_of TROVACL.TrovaCLCtrl.1)" "$installed_control")'
wine "$default_dir\\uninstall.exe" /S </dev/null >/dev/null 2>&1
check "default uninstall finishes" wait_for 60 eval '! reg_exists "$UNINST_KEY"'
check "its uninstaller process ended" wait_for 60 uninstall_done
check "Program Files (x86)\\Vantel removed" test ! -e "$DRIVE_C/Program Files (x86)/Vantel"

summary
