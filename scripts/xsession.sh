# A private X session: its own X server with a window manager, private
# runtime and config folders, a recording xdg-open, and what the build says
# it shows and opens. Sourced, through scripts/program.sh, by the end-to-end
# tests, the Windows tests and scripts/screenshots.sh; it cleans up after
# itself. Set ZEL_FACTS to the build's facts.txt first.
set -euo pipefail

# fact NAME: what the build says NAME is: WindowTitle, ApplicationTitle,
# WindowsMutex, or a destination's address by its LinkTarget name
# (HomePage, DonatePage, ...).
fact() {
    local value
    value=$(sed -n "s/^$1 //p" "$ZEL_FACTS")
    [ -n "$value" ] || { echo "FAIL: $ZEL_FACTS names no $1" >&2; exit 1; }
    printf '%s\n' "$value"
}
# Every window's title, and the title of every message box.
ZEL_TITLE=$(fact WindowTitle)
ZEL_APP_TITLE=$(fact ApplicationTitle)

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

# Every process started here ends, the Wine ones of a private prefix too,
# before the session's folder goes.
e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
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

wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

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
    # No session bus but one a test makes itself (dbus-run-session): without
    # an address, libdbus starts a bus for the display (dbus-launch
    # --autolaunch) that outlives the test.
    export DBUS_SESSION_BUS_ADDRESS="${DBUS_SESSION_BUS_ADDRESS:-unix:path=$E2E_TMP/no-bus}"
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 wm_ready || fail "openbox did not start"
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
