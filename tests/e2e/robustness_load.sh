#!/usr/bin/env bash
# Starts at the same moment, with every core busy, right after a kill -9 that
# left the lock file empty or garbled: of 2 and of 10 starts, exactly one
# opens a main window and every other one says the program is already
# running; and so for two starts that see different environments (a desktop
# launcher and a terminal). Every order of two starts' steps is the unit
# tests' to try; this is the real program under a real load.
. "$(dirname "$0")/lib.sh"
start_x
for _ in $(seq "$(nproc)"); do
    yes >/dev/null &
    E2E_PIDS+=($!)
done
one_shown() { [ "$(main_windows)" = 1 ]; }
mkdir -m 700 "$E2E_TMP/elsewhere" "$E2E_TMP/home"

for starts in 2 10; do
    all_shown() { [ $(($(main_windows) + $(notices))) -ge "$starts" ]; }
    one_and_notices() { [ "$(main_windows)" = 1 ] && [ "$(notices)" = $((starts - 1)) ]; }
    start_app
    wait_until 30 one_shown || fail "no main window before the kill"
    lock=$(held_lock "$APP_PID") || fail "no instance lock"
    kill -9 "$APP_PID"
    wait_until 10 gone "$APP_PID" || fail "kill -9 did not end it"
    [ "$starts" = 2 ] && : >"$lock" || printf '\x01\xff garbled\n' >"$lock"
    pids=()
    start_app XDG_RUNTIME_DIR="$E2E_TMP/elsewhere"
    pids+=("$APP_PID")
    for _ in $(seq $((starts - 1))); do
        start_app -u XDG_RUNTIME_DIR HOME="$E2E_TMP/home" XDG_CACHE_HOME="$E2E_TMP/home/.cache"
        pids+=("$APP_PID")
    done
    wait_until 90 all_shown || fail "$starts starts: $(main_windows) main windows, $(notices) notices"
    wait_until 3 one_and_notices || fail "$starts starts: $(main_windows) main windows, $(notices) notices"
    kill -9 "${pids[@]}"
    wait_until 20 none_shown || fail "$starts starts: windows left"
done
echo "PASS: starts under load"
