# A private X session for the program: its own X server with a window
# manager, private runtime and config folders, a recording xdg-open, and
# helpers that find and drive the program's windows the way a user does.
# Sourced by the end-to-end tests and by scripts/screenshots.sh; it cleans up
# after itself. Set ZEL_BINARY to the program and ZEL_FACTS to its build's
# facts.txt first.
set -euo pipefail

# fact NAME: what the build says NAME is: WindowTitle, WindowsMutex, or a
# destination's address by its LinkTarget name (HomePage, DonatePage, ...).
fact() {
    local value
    value=$(sed -n "s/^$1 //p" "$ZEL_FACTS")
    [ -n "$value" ] || { echo "FAIL: $ZEL_FACTS names no $1" >&2; exit 1; }
    printf '%s\n' "$value"
}
ZEL_TITLE=$(fact WindowTitle)

# The program takes one lock per user, whatever the environment says, so a
# session waits until no other session of this user's runs the program
# (tests/unit/tst_instance_lock.cpp takes the same guard). Held until the end.
mkdir -p "$HOME/.cache"
exec 9>>"$HOME/.cache/zel-orvalis-tests.guard"
flock -w 120 9 || { echo "FAIL: another session of this user's kept the program for 120 s" >&2; exit 1; }

E2E_TMP=$(mktemp -d)
export XDG_RUNTIME_DIR="$E2E_TMP/run" XDG_CONFIG_HOME="$E2E_TMP/config"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "DISPLAY=${DISPLAY:-}" >&2
    local p
    for p in "${E2E_PIDS[@]}"; do
        echo "pid $p: $(ps -o stat=,args= -p "$p" 2>/dev/null || echo gone)" >&2
    done
    local log
    for log in "$E2E_TMP"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")"; cat "$log"; } >&2
    done
    if [ -n "${DISPLAY:-}" ]; then
        import -window root "$E2E_TMP/failure.png" 2>/dev/null \
            && cp "$E2E_TMP/failure.png" "${E2E_FAILSHOT:-/tmp/zel-e2e-failure.png}" \
            && echo "screen at failure: ${E2E_FAILSHOT:-/tmp/zel-e2e-failure.png}" >&2
    fi
    exit 1
}

# wait_until SECONDS COMMAND...: polls until COMMAND succeeds.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# start_x: a private X server with openbox. -displayfd picks a free display
# and tells us which, so parallel tests never collide; -noreset keeps the
# server from resetting whenever its last client leaves, which would refuse
# the connections that come in meanwhile.
start_x() {
    Xvfb -displayfd 3 -noreset -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp \
        3>"$E2E_TMP/display" 2>>"$E2E_TMP/xvfb.log" &
    E2E_PIDS+=($!)
    wait_until 10 test -s "$E2E_TMP/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
    wait_until 10 wm_ready || fail "openbox did not start"
}

# start_app: runs the program in the background; sets APP_PID.
start_app() {
    "$ZEL_BINARY" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=("$APP_PID")
}

# managed WINDOW: the window manager has framed it (so it also handles keys by now).
managed() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; }

# find_window TITLE: the id of the visible, managed window with exactly this
# title. xdotool gives up when a window vanishes while it looks (one of a
# program just killed), so it looks again.
find_window() {
    local id
    window_shown() {
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
        [ -n "$id" ]
    }
    wait_until 20 window_shown "$1" && wait_until 10 managed "$id" && echo "$id"
}

# focus WINDOW: activates it and waits until it really has the keyboard focus.
focus() {
    has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    wait_until 10 has_focus "$1" || fail "window $1 never got the keyboard focus"
}

# record_links: puts a recording xdg-open first on PATH. Each address it is
# given lands in $OPENED, NUL-terminated, exactly as received.
record_links() {
    OPENED="$E2E_TMP/opened"
    : >"$OPENED"
    mkdir -p "$E2E_TMP/bin"
    cat >"$E2E_TMP/bin/xdg-open" <<SCRIPT
#!/bin/sh
[ "\$#" = 1 ] || echo "xdg-open got \$# arguments" >&2
printf '%s\\0' "\$1" >>"$OPENED"
SCRIPT
    chmod +x "$E2E_TMP/bin/xdg-open"
    export PATH="$E2E_TMP/bin:$PATH"
}

# window_size WINDOW: "WIDTH HEIGHT" of its client area.
window_size() {
    xwininfo -id "$1" 2>/dev/null | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}'
}

# find_support: waits for the support window (741 x 315, scaled); sets SUPPORT.
find_support() {
    support_shown() {
        local id
        for id in $(xdotool search --onlyvisible --name "^$ZEL_TITLE\$" 2>/dev/null); do
            local scale=${QT_SCALE_FACTOR:-1}
            if [ "$(window_size "$id")" = "$((741 * scale)) $((315 * scale))" ] && managed "$id"; then
                SUPPORT=$id
                return 0
            fi
        done
        return 1
    }
    wait_until 10 support_shown
}

# find_about WINDOW: waits for the About window that WINDOW opened, managed by
# the window manager; sets ABOUT.
find_about() {
    other_window() {
        ABOUT=$(xdotool search --onlyvisible --name "^$ZEL_TITLE\$" | grep -vx "$1" | head -n1)
        [ -n "$ABOUT" ]
    }
    wait_until 10 other_window "$1" || fail "no About window"
    wait_until 10 managed "$ABOUT" || fail "the About window is not managed"
}

# close_window WINDOW: asks the window manager to close it, as its close box
# does (_NET_CLOSE_WINDOW, answered with WM_DELETE_WINDOW).
close_window() { wmctrl -i -c "$1"; }

# app_ended: the program's process is gone.
app_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }
