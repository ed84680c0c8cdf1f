#!/usr/bin/env bash
# Starts right after a kill -9 that left the lock file empty or garbled, with
# every core busy: of 2 and of 10 starts at once, exactly one opens a main
# window, every round, and every other one says the program is already
# running.
. "$(dirname "$0")/lib.sh"
start_x
for _ in $(seq "$(nproc)"); do
    yes >/dev/null &
    E2E_PIDS+=($!)
done
one_shown() { [ "$(main_windows)" = 1 ]; }

for starts in 2 10; do
    all_shown() { [ $(($(main_windows) + $(notices))) -ge "$starts" ]; }
    one_and_notices() { [ "$(main_windows)" = 1 ] && [ "$(notices)" = $((starts - 1)) ]; }
    for round in 1 2 3; do
        start_app
        wait_until 30 one_shown || fail "no main window before the kill"
        lock=$(held_lock "$APP_PID") || fail "no instance lock"
        kill -9 "$APP_PID"
        wait_until 10 gone "$APP_PID" || fail "kill -9 did not end it"
        [ $((round % 2)) = 0 ] && printf '\x01\xff garbled\n' >"$lock" || : >"$lock"
        pids=()
        for _ in $(seq "$starts"); do
            start_app
            pids+=("$APP_PID")
        done
        wait_until 90 all_shown || fail "$starts starts, round $round: $(main_windows) main windows," \
            "$(notices) notices"
        wait_until 3 one_and_notices \
            || fail "$starts starts, round $round: $(main_windows) main windows, $(notices) notices"
        kill -9 "${pids[@]}"
        wait_until 20 none_shown || fail "$starts starts, round $round: windows left"
    done
done
echo "PASS: starts under load"
