#!/usr/bin/env bash
# The Windows build under Wine, in a private Wine prefix on a private X
# server: the unit tests, the deployment folder's program end to end (the
# reminder against the registry, every link, the referral, the support
# window, a second instance), what a screen reader reads through UI
# Automation, the installer and its uninstaller, and the portable zip.
# Stops at the first failure with a FAIL line and a screenshot.
# Usage: scripts/test-windows.sh BUILD_DIR TEST_BUILD_DIR
#   BUILD_DIR       has deploy/ and package/ (make package-windows)
#   TEST_BUILD_DIR  has bin/tst_*.exe (the unit tests built for Windows),
#                   bin/uia_client.exe and bin/hold_mutex.exe
# Runs in the Debian 13 root, for its Wine 10 (scripts/debian13.sh).
set -euo pipefail
[ "$#" = 2 ] || { echo "usage: $0 BUILD_DIR TEST_BUILD_DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
tests=$(realpath "$2")

packages="wine wine64 xvfb xauth openbox xdotool wmctrl x11-utils x11-xserver-utils imagemagick
unzip xclip fonts-dejavu-core"
# shellcheck disable=SC2086 # one word per package
"$root/scripts/install-deps.sh" $packages

qt=$("$root/scripts/build-qt-windows.sh" --print-prefix | tail -n1)
# What this build shows and opens, and its version.
export ZEL_FACTS="$build/facts.txt"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -f "$ZEL_FACTS" ] && [ -n "$version" ] \
    || { echo "FAIL: $build has no facts.txt or CMakeCache.txt with a version" >&2; exit 1; }
exe="$build/deploy/zel-orvalis.exe"
settings='HKCU\Software\Velmora\Zel Orvalis\Settings'
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Zel Orvalis'
today=$(date +%F)

export E2E_FAILSHOT=${E2E_FAILSHOT:-/tmp/zel-windows-failure.png}
. "$root/tests/e2e/lib.sh"

passed=0
pass() {
    echo "PASS: $1"
    passed=$((passed + 1))
}
# The closing line comes last whatever happens; every Wine process of the
# private prefix ends before the prefix is removed.
finish() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    [ "$status" = 0 ] || echo "$passed passed, 1 failed"
    e2e_cleanup
}
trap finish EXIT

# A program that crashes ends, rather than wait for a debugger.
export WINEPREFIX="$E2E_TMP/wine" WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" WINEDEBUG=-all,err+module
unset WINEPATH
start_x
# xdotool types a letter missing from the keyboard map by lending it a spare
# key for a moment, which Wine often misses, and Wine ignores keys its layout
# does not know. So "é" takes the place of "<>" beside the left Shift, a key
# of the layout that nothing here types, before any Windows program starts.
lsgt=$(xmodmap -pke | awk '$4 == "less" && $5 == "greater" && !key { key = $2 } END { print key }')
[ -n "$lsgt" ] && xmodmap -e "keycode $lsgt = eacute Eacute" || fail "no <> key to put é on"
record_links # nothing leaves the machine, not even from a unit test
wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 || fail "wineboot could not make a Wine prefix"
wineserver -w
windows_user=$(wine cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')

# start_exe EXE: runs a Windows program in the background; sets APP_PID.
start_exe() {
    wine "$1" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=("$APP_PID")
}

# Wine hands a Windows program none of the host's QT_ variables, so they go
# into the user's environment in the registry, which every new program reads.
windows_env() { # NAME [VALUE]: sets it, or without a value removes it
    if [ "$#" = 2 ]; then
        wine reg add 'HKCU\Environment' /v "$1" /d "$2" /f >/dev/null
    else
        wine reg delete 'HKCU\Environment' /v "$1" /f >/dev/null 2>&1 || true
    fi
}

# expect_opened_via_wine NAME...: as expect_opened_links; Wine's browser
# bridge parses each address as a URI and passes on its canonical form, which
# gives a bare host the path "/".
expect_opened_via_wine() {
    local name address addresses=()
    for name in "$@"; do
        address=$(fact "$name")
        case $address in
            *://*/*) addresses+=("$address") ;;
            *) addresses+=("$address/") ;;
        esac
    done
    expect_opened "${addresses[@]}"
}

# box_says BOX TEXT: the message box's text, as its Ctrl+C copies it, holds TEXT.
box_says() {
    clipboard_has() { timeout 2 xclip -o -selection clipboard 2>/dev/null | tr -d '\r' | grep -qF "$1"; }
    focus "$1"
    xdotool key ctrl+c
    wait_until 5 clipboard_has "$2"
}

# quit WINDOW: closes the main window as a user does, then leaves through the
# support window's Exit; the program must end with exit code 0.
quit() {
    close_window "$1"
    find_support || fail "closing the main window showed no support window"
    leave_through_support
}

box_up() { xdotool search --onlyvisible --name '^Zel Orvalis$' >/dev/null 2>&1; }
above() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
on_top() { # WINDOW: the topmost of all managed windows
    local top
    top=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x' | tail -n1)
    [ "$((top))" = "$(($1))" ]
}

# --- The unit tests -----------------------------------------------------------
unit_tests() {
    local winepath="" dll dir name log code found=0
    for dir in "$qt/bin" \
        $(for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
            dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)"
        done) /usr/x86_64-w64-mingw32/lib; do
        winepath="$winepath;$(winepath -w "$dir")"
    done
    windows_env QT_QPA_PLATFORM offscreen
    windows_env QT_PLUGIN_PATH "$(winepath -w "$qt/plugins")"
    # Off screen Qt for Windows draws with the fonts of this folder; DejaVu,
    # as on Linux, so that texts measure the same.
    windows_env QT_QPA_FONTDIR "$(winepath -w /usr/share/fonts/truetype/dejavu)"
    for test in "$tests"/bin/tst_*.exe; do
        [ -e "$test" ] || break
        found=$((found + 1))
        name=$(basename "$test" .exe)
        log="$E2E_TMP/$name.txt"
        # Qt Test writes to the debugger rather than to a pipe here: a file it is.
        code=0
        (cd "$tests/bin" && WINEPATH="${winepath#;}" timeout 300 \
            wine "$test" -o "$(winepath -w "$log"),txt" >>"$E2E_TMP/unit.log" 2>&1) || code=$?
        grep '^SKIP' "$log" 2>/dev/null | sed "s/^/  $name: /" || true
        if [ "$code" != 0 ] || ! grep -Eq '^Totals: [0-9]+ passed, 0 failed' "$log" 2>/dev/null; then
            fail "$name (exit code $code):
$(grep -A3 '^FAIL!' "$log" 2>/dev/null || tail -n 20 "$log" 2>/dev/null || echo 'no output')"
        fi
    done
    [ "$found" -gt 0 ] || fail "no unit tests in $tests/bin"
    windows_env QT_QPA_PLATFORM
    windows_env QT_PLUGIN_PATH
    windows_env QT_QPA_FONTDIR
    pass "unit tests ($found programs)"
}

# The Qt beside the program is the one it was built with, an LTS that gets
# fixes, and the compiler one that Qt supports (its version resource says).
toolchain() {
    local built version gcc dll
    built=$(x86_64-w64-mingw32-strings -el "$exe" | sed -n 's/^Built with Qt \([0-9.]*\) and GCC \([0-9]*\)$/\1 \2/p')
    read -r version gcc <<<"$built"
    [ -n "$gcc" ] || fail "zel-orvalis.exe names no Qt and GCC"
    dll=$(x86_64-w64-mingw32-strings -el "$build/deploy/Qt6Core.dll" | grep -xm1 '6\.[0-9.]*')
    [ "${dll%.0}" = "$version" ] || fail "Qt6Core.dll is Qt $dll, the program was built with Qt $version"
    [ "${version%.*}" = 6.8 ] || fail "the Qt shipped is $version, not the 6.8 LTS"
    [ "$gcc" -ge 13 ] || fail "GCC $gcc built the program; Qt 6.8 needs 13 or later"
    # The notices offer the very source the DLLs were built from.
    local source
    source=$(sed -n 's/^qt6-base //p' "$qt/.complete")
    grep -qF "qt6-base, version $source" "$build/deploy/THIRD-PARTY-NOTICES" \
        || fail "THIRD-PARTY-NOTICES offers another source than qt6-base $source, which built Qt"
    local option
    while read -r option; do
        case $option in
            -D*) grep -qF -- "$option" "$build/deploy/THIRD-PARTY-NOTICES" \
                || fail "THIRD-PARTY-NOTICES does not give $option, which Qt was built with" ;;
        esac
    done <"$qt/.complete"
    pass "Qt $version and GCC $gcc"
}

# --- End to end on the deployment folder's program ---------------------------

store_duration() { # TYPE DATA, or "none"
    wine reg delete "$settings" /v Duration /f >/dev/null 2>&1 || true
    [ "$1" = none ] || wine reg add "$settings" /v Duration /t "$1" /d "$2" /f >/dev/null
}
stored_duration() { # prints "TYPE DATA", or nothing without a value
    wine reg query "$settings" /v Duration 2>/dev/null | tr -d '\r' \
        | awk '$1 == "Duration" { print $2, $3 }'
}

# starts_quietly TYPE DATA STORED: with this value the program opens its main
# window without asking, and the value is then STORED.
starts_quietly() {
    store_duration "$1" "$2"
    start_exe "$exe"
    local win
    win=$(find_window "$ZEL_TITLE") \
        || { box_up && fail "the reminder was asked with $1 $2"; fail "no main window with $1 $2"; }
    ! box_up || fail "the reminder was asked with $1 $2"
    [ "$(stored_duration)" = "$3" ] || fail "with $1 $2 the value became '$(stored_duration)', not '$3'"
    quit "$win"
}

reminder() {
    : >"$OPENED"
    store_duration REG_SZ "$(date -d '15 days ago' +%F)"
    start_exe "$exe"
    local box
    box=$(find_window "Zel Orvalis") || fail "no reminder 15 days on"
    ! xdotool search --onlyvisible --name "^$ZEL_TITLE\$" >/dev/null \
        || fail "the main window opened before the reminder was answered"
    box_says "$box" "Do you want to check for an update?" || fail "the reminder asks something else"
    xdotool key alt+n
    local win
    win=$(find_window "$ZEL_TITLE") || fail "no main window after No"
    [ "$(stored_duration)" = "REG_SZ $today" ] || fail "No stored '$(stored_duration)', not today"
    quit "$win"
    [ "$(opened_count)" = 0 ] || fail "No opened $(tr '\0' ' ' <"$OPENED")"

    local quiet
    quiet=$(date -d '14 days ago' +%F)
    starts_quietly REG_SZ "$quiet" "REG_SZ $quiet"
    starts_quietly REG_SZ garbage "REG_SZ garbage"
    starts_quietly REG_SZ 2026-13-01 "REG_SZ 2026-13-01"
    starts_quietly REG_BINARY 0102 "REG_BINARY 0102"
    starts_quietly none "" "REG_SZ $today"
    pass "reminder against the registry"
}

links() {
    start_exe "$exe"
    local win bar
    win=$(find_window "$ZEL_TITLE") || fail "no main window"
    bar=$(client_offset "$win")
    focus "$win"
    then_opens xdotool key alt+h o
    then_opens xdotool key alt+h v
    then_opens xdotool key alt+h u
    then_opens xdotool key alt+d
    then_opens xdotool mousemove --window "$win" 280 $((bar + 8)) click 1
    # The strip shows one of the two brand labels, drawn at random.
    then_opens xdotool mousemove --window "$win" 280 $((bar + 328)) click 1
    local brand
    case $(tr '\0' '\n' <"$OPENED" | tail -n1) in
        "$(fact CoBrandPage)") brand=CoBrandPage ;;
        "$(fact FullBrandPage)") brand=FullBrandPage ;;
        *) fail "the brand strip opened '$(tr '\0' '\n' <"$OPENED" | tail -n1)'" ;;
    esac

    xdotool key alt+h a
    find_about "$win"
    then_opens xdotool mousemove --window "$ABOUT" 140 97 click 1
    then_opens xdotool mousemove --window "$ABOUT" 260 171 click 1
    xdotool key Return
    about_gone() { ! xwininfo -id "$ABOUT" 2>/dev/null | grep -q IsViewable; }
    wait_until 5 about_gone || fail "Enter left the About window open"

    focus "$win"
    xdotool key alt+f x
    find_support || fail "File > Exit showed no support window"
    then_opens xdotool mousemove --window "$SUPPORT" 240 154 click 1
    then_opens xdotool mousemove --window "$SUPPORT" 600 298 click 1
    expect_opened_via_wine ProductHelpPage HomePage ProductDownloadPage DonatePage HomePage \
        "$brand" HomePage FullBrandPage HomePage SoftwareLibraryPage
    close_window "$SUPPORT"
    wait_until 10 app_ended || fail "closing the support window did not end the program"
    local code
    code=$(exit_code "$APP_PID")
    [ "$code" = 0 ] || fail "exit code $code after closing the support window"
    pass "every link and menu command"
}

support() {
    : >"$OPENED"
    start_exe "$exe"
    local first=$APP_PID win
    win=$(find_window "$ZEL_TITLE") || fail "no main window"
    close_window "$win"
    find_support || fail "closing the main window showed no support window"
    above "$SUPPORT" || fail "the support window is not topmost"
    on_top "$SUPPORT" || fail "the support window is not on top"

    type_referral 30 "Tom & Jérry" "tom@x.org" "zoe+1@y.org" "Zoé #1=2%"
    xdotool key alt+n
    expect_opened "$(fact ReferralEndpoint)?taf1=Tom%20%26%20J%C3%A9rry&taf2=tom%40x.org&taf3=Your%20Message%0D%0A&taf4=Zo%C3%A9%20%231%3D2%25&taf5=zoe%2B1%40y.org&taf6=$(referral_site)"

    start_exe "$exe"
    local second=$APP_PID box code
    box=$(find_window "Zel Orvalis") || fail "the second instance showed no notice"
    above "$box" || fail "the second instance's notice is not topmost"
    on_top "$box" || fail "the second instance's notice lies below another window"
    box_says "$box" "Application is already running" || fail "the second instance's notice says something else"
    focus "$box"
    xdotool key Return
    wait_until 10 app_ended || fail "the second instance did not end after Enter"
    code=$(exit_code "$second")
    [ "$code" = 0 ] || fail "the second instance ended with exit code $code"

    APP_PID=$first
    kill -0 "$first" 2>/dev/null || fail "the first instance is gone"
    leave_through_support
    [ "$(opened_count)" = 1 ] || fail "something else was opened: $(tr '\0' ' ' <"$OPENED")"
    pass "support window, referral and second instance"
}

# --- What a screen reader gets --------------------------------------------------
. "$root/tests/e2e/screen_reader_windows.sh"

# --- The installer --------------------------------------------------------------
installer() {
    local setup=("$build"/package/zel-orvalis-*-windows-x64.exe)
    [ "${#setup[@]}" = 1 ] && [ -f "${setup[0]}" ] || fail "not one installer in $build/package"
    # A download that stays small.
    [ "$(stat -c %s "${setup[0]}")" -le $((12 * 1024 * 1024)) ] \
        || fail "the installer is $(du -h "${setup[0]}" | cut -f1), over 12 MiB"
    local folder="$WINEPREFIX/drive_c/Program Files/Zel Orvalis" code

    # Whichever account or session the installer runs in, it sees a running
    # program by Global\<mutex>, even one it may not open (an elevated one,
    # or another account's), and its own account's by Local\<mutex>-<SID>.
    # Wine has one account and one session: a stand-in holds each name, one
    # of them owned by SYSTEM and open to no one.
    local mutex sid held name sddl holder
    mutex=$(fact WindowsMutex)
    sid=$(wine whoami /user 2>/dev/null | tr -d '\r' | grep -o 'S-1-5-[0-9-]*' | head -n1)
    [ -n "$sid" ] || fail "whoami /user gave no SID"
    for held in "Global\\$mutex" "Global\\$mutex O:SYD:" "Local\\$mutex-$sid"; do
        read -r name sddl <<<"$held"
        wine "$tests/bin/hold_mutex.exe" "$name" ${sddl:+"$sddl"} >"$E2E_TMP/hold.out" 2>&1 &
        holder=$!
        holding() { grep -q held "$E2E_TMP/hold.out"; }
        wait_until 10 holding || fail "nothing held $held: $(cat "$E2E_TMP/hold.out")"
        code=0
        wine "${setup[0]}" /S >>"$E2E_TMP/setup.log" 2>&1 || code=$?
        kill "$holder"
        wait "$holder" 2>/dev/null || true
        [ "$code" = 2 ] || fail "the silent installer beside a holder of $held ended with $code, not 2"
    done
    [ ! -e "$folder" ] || fail "an installer that ended with 2 left $folder"

    wine "${setup[0]}" /S >>"$E2E_TMP/setup.log" 2>&1 || fail "the silent installation failed"
    [ -f "$folder/Uninstall.exe" ] || fail "nothing installed in C:\\Program Files\\Zel Orvalis"
    [ "$(cd "$build/deploy" && find . | sort)" = "$(cd "$folder" && find . ! -name Uninstall.exe | sort)" ] \
        || fail "the installed files differ from the deployment folder"

    local menus=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
        "$WINEPREFIX/drive_c/users/$windows_user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")
    local shortcut
    shortcut=$(find "${menus[@]}" -name 'Zel Orvalis.lnk' | head -n1)
    [ -n "$shortcut" ] || fail "no Start-menu shortcut"

    local entry="" hive
    for hive in HKLM HKCU; do
        entry=$(wine reg query "$hive\\$uninstall_key" 2>/dev/null | tr -d '\r') && break
    done
    [ -n "$entry" ] || fail "no Apps & features entry"
    registered() { printf '%s\n' "$entry" | grep -qE "^ +$1 +REG_SZ +$2\$"; }
    registered DisplayName "Zel Orvalis" && registered DisplayVersion "$version" \
        && registered Publisher Velmora \
        && registered DisplayIcon 'C:\\Program Files\\Zel Orvalis\\zel-orvalis\.exe' \
        && registered UninstallString '"C:\\Program Files\\Zel Orvalis\\Uninstall\.exe"' \
        || fail "the Apps & features entry is incomplete:
$entry"

    # The shortcut starts the installed program.
    wine start "$(winepath -w "$shortcut")" >>"$E2E_TMP/app.log" 2>&1
    local win pid
    win=$(find_window "$ZEL_TITLE") || fail "the Start-menu shortcut showed no main window"
    pid=$(xdotool getwindowpid "$win")
    tr '\0' '\n' <"/proc/$pid/cmdline" | grep -qF 'C:\Program Files\Zel Orvalis\zel-orvalis.exe' \
        || fail "the shortcut started $(tr '\0' ' ' <"/proc/$pid/cmdline")"
    APP_PID=$pid

    # While the program runs, the installer and the uninstaller change
    # nothing. Silent, they end with exit code 2; with a user, they ask.
    installed() {
        (cd "$folder" && find . -printf '%p %s %T@\n' | sort)
        wine reg query "$hive\\$uninstall_key" 2>/dev/null | tr -d '\r'
        find "${menus[@]}" -name '*Zel Orvalis*'
    }
    # "_?=" takes the rest of the command line, unquoted, as the folder to
    # uninstall from, and makes the uninstaller run in place and wait; Wine
    # quotes an argument with a space, so the folder goes as three words.
    local in_place=('_?=C:\Program' 'Files\Zel' 'Orvalis')
    local before
    before=$(installed)
    code=0
    wine "${setup[0]}" /S >>"$E2E_TMP/setup.log" 2>&1 || code=$?
    [ "$code" = 2 ] || fail "the silent installer over the running program ended with $code, not 2"
    code=0
    wine "$folder/Uninstall.exe" /S "${in_place[@]}" >>"$E2E_TMP/setup.log" 2>&1 || code=$?
    [ "$code" = 2 ] || fail "the silent uninstaller beside the running program ended with $code, not 2"
    # Started plainly, the uninstaller hands over to a copy of itself in
    # %TEMP% (~nsu*.tmp\Un.exe) and returns 0 at once; the copy stops as well.
    uninstall_plainly() {
        wine "$folder/Uninstall.exe" /S >>"$E2E_TMP/setup.log" 2>&1 || fail "the uninstaller did not start"
        copy_ended() { ! pgrep -f 'nsu[^ ]*\.tmp\\Un\.exe' >/dev/null; }
        wait_until 30 copy_ended || fail "the uninstaller's copy of itself did not end"
    }
    uninstall_plainly
    wine "$folder/Uninstall.exe" "${in_place[@]}" >>"$E2E_TMP/setup.log" 2>&1 &
    local asking=$! box
    # Wine's own message boxes copy no text: the question is seen by its title.
    box=$(find_window "Zel Orvalis Uninstall") || fail "the uninstaller asked nothing while the program runs"
    focus "$box"
    xdotool key Escape
    code=0
    wait "$asking" || code=$?
    [ "$code" = 2 ] || fail "the uninstaller, cancelled, ended with $code, not 2"
    [ "$(installed)" = "$before" ] || fail "installing or uninstalling beside the running program changed:
$(diff <(printf '%s\n' "$before") <(installed))"

    close_window "$win"
    find_support || fail "no support window in the installed program"
    focus "$SUPPORT"
    xdotool key alt+x
    wait_until 10 app_ended || fail "the installed program did not end"

    uninstall_plainly
    [ ! -e "$folder" ] || fail "the uninstaller left: $(cd "$folder" && find . | tr '\n' ' ')"
    [ -z "$(find "${menus[@]}" -iname '*Zel Orvalis*')" ] || fail "the Start-menu entry is still there"
    for hive in HKLM HKCU; do
        ! wine reg query "$hive\\$uninstall_key" >/dev/null 2>&1 || fail "the Apps & features entry is still there"
    done
    # The user's own settings stay; what the installer wrote goes.
    ! wine reg query 'HKLM\Software\Velmora' >/dev/null 2>&1 || fail "HKLM\Software\Velmora is still there"
    pass "installer and uninstaller, which leave a running program alone"
}

# --- The portable zip -------------------------------------------------------------
portable() {
    local zip=("$build"/package/zel-orvalis-*-windows-x64.zip)
    [ "${#zip[@]}" = 1 ] && [ -f "${zip[0]}" ] || fail "not one zip in $build/package"
    mkdir "$E2E_TMP/portable"
    unzip -q "${zip[0]}" -d "$E2E_TMP/portable"
    local program
    program=$(find "$E2E_TMP/portable" -name zel-orvalis.exe)
    [ -n "$program" ] || fail "no zel-orvalis.exe in the zip"
    # Only Windows' own folders on its PATH, no WINEPATH, and a working folder
    # without DLLs: whatever the zip lacks is missing.
    local here=$PWD
    cd "$E2E_TMP"
    start_exe "$program"
    cd "$here"
    local win
    win=$(find_window "$ZEL_TITLE") || fail "the zip's program showed no main window"
    quit "$win"
    pass "portable zip"
}

toolchain
unit_tests
reminder
links
support
screen_reader
installer
portable
echo "$passed passed, 0 failed"
