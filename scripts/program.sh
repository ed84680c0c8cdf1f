# Starting, finding, driving and ending the program as a user does, on Linux
# or, for a Windows build (ZEL_BINARY ending in .exe), under Wine. Windows
# are found by the titles the build gives them (facts.txt). Sourced by the
# end-to-end tests, the Windows tests and scripts/screenshots.sh; set
# ZEL_BINARY and ZEL_FACTS first.
. "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

# The reminder's stored date, where each platform keeps the program's settings.
SETTINGS_KEY='HKCU\Software\Velmora\Zel Orvalis\Settings'
SETTINGS_FILE="$XDG_CONFIG_HOME/Velmora/Zel Orvalis.conf"

windows_build() { [[ $ZEL_BINARY == *.exe ]]; }

# start_wine [DPI]: a private Wine prefix, at 96 DPI or the one given. A
# program that crashes there ends, rather than wait for a debugger.
start_wine() {
    export WINEPREFIX="$E2E_TMP/wine" WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" \
        WINEDEBUG=-all,err+module
    unset WINEPATH
    wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 || fail "wineboot could not make a Wine prefix"
    if [ -n "${1:-}" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
        # Wine 10 reads the DPI once, as its session starts: a new one takes it.
        wineserver -k
    fi
    wineserver -w
}

# store_duration DATE [TYPE]: the reminder's date as the program stores it
# (in the registry as TYPE, REG_SZ by default); "none" stores nothing.
store_duration() {
    if windows_build; then
        wine reg delete "$SETTINGS_KEY" /v Duration /f >/dev/null 2>&1 || true
        [ "$1" = none ] || wine reg add "$SETTINGS_KEY" /v Duration /t "${2:-REG_SZ}" /d "$1" /f >/dev/null
    else
        rm -f "$SETTINGS_FILE"
        mkdir -p "$(dirname "$SETTINGS_FILE")"
        [ "$1" = none ] || printf '[Settings]\nDuration=%s\n' "$1" >"$SETTINGS_FILE"
    fi
}

# start_app [NAME=VALUE | -u NAME]...: runs the program in the background
# with these changes to its environment, as env makes them; sets APP_PID.
start_app() {
    if windows_build; then
        env "$@" wine "$ZEL_BINARY" >>"$E2E_TMP/app.log" 2>&1 &
    else
        env "$@" "$ZEL_BINARY" >>"$E2E_TMP/app.log" 2>&1 &
    fi
    APP_PID=$!
    E2E_PIDS+=("$APP_PID")
}

# managed WINDOW: the window manager has framed it (so it also handles keys by now).
managed() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; }

# titled TITLE [BESIDES]: sets FOUND to a visible window with exactly this
# title, other than the window BESIDES. xdotool gives up when a window
# vanishes while it looks (one of a program just killed): it is asked again.
titled() {
    FOUND=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${2:-}" | head -n1)
    [ -n "$FOUND" ]
}

# find_window TITLE [BESIDES]: prints the id of the visible, managed window
# with exactly this title, other than BESIDES.
find_window() {
    wait_until 20 titled "$@" && wait_until 10 managed "$FOUND" && echo "$FOUND"
}

# find_about MAIN, find_support MAIN: the About window that the main window
# MAIN opened, or the support window that followed it: the window with its
# title other than MAIN. They set ABOUT and SUPPORT.
find_about() {
    ABOUT=$(find_window "$ZEL_TITLE" "$1") || fail "no About window"
}
find_support() {
    SUPPORT=$(find_window "$ZEL_TITLE" "$1")
}

has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# focus WINDOW: activates it and waits until it really has the keyboard focus.
focus() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    wait_until 10 has_focus "$1" || fail "window $1 never got the keyboard focus"
}

window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# close_window WINDOW: asks the window manager to close it, as its close box
# does (_NET_CLOSE_WINDOW, answered with WM_DELETE_WINDOW).
close_window() { wmctrl -i -c "$1"; }

# close_with_alt_f4 WINDOW: the window manager's Alt+F4. Right after start-up
# openbox has been seen to miss a first press, so it is pressed again while
# the window stays open.
close_with_alt_f4() {
    local attempt
    for attempt in 1 2 3; do
        window_gone "$1" && return 0
        focus "$1"
        xdotool key alt+F4
        wait_until 3 window_gone "$1" && return 0
    done
    fail "Alt+F4 did not close window $1"
}

# app_ended: the program's process is gone; gone PID: that process is.
app_ended() { gone "$APP_PID"; }
gone() { ! kill -0 "$1" 2>/dev/null; }

# exit_code PID: waits for a child started here and prints its exit code.
exit_code() {
    local code=0
    wait "$1" || code=$?
    echo "$code"
}

# leave_through_support: E&xit in the support window ends the program with
# exit code 0.
leave_through_support() {
    focus "$SUPPORT"
    xdotool key alt+x
    wait_until 10 app_ended || fail "Exit in the support window did not end the program"
    local code
    code=$(exit_code "$APP_PID")
    [ "$code" = 0 ] || fail "the program ended with exit code $code"
}

# quit MAIN: closes the main window as a user does, then leaves through the
# support window's Exit.
quit() {
    close_window "$1"
    find_support "$1" || fail "closing the main window showed no support window"
    leave_through_support
}
