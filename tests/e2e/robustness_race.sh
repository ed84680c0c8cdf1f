#!/usr/bin/env bash
# Two starts of one user never both open a main window: not when one pauses
# between taking its lock's name and listening there (a busy machine, a
# swapped-out process), twenty times over, and not when the two see
# different environments (a desktop launcher and a terminal).
. "$(dirname "$0")/lib.sh"
start_x
pause="$E2E_TMP/pause"
mkdir "$pause"
both_shown() { [ $(($(main_windows) + $(notices))) -ge 2 ]; }
# A window vanishing while xdotool counts spoils a count: read for a moment.
one_of_each() { [ "$(main_windows)" = 1 ] && [ "$(notices)" = 1 ]; }

for round in $(seq 20); do
    rm -f "$pause"/*
    start_app ZEL_PAUSE_DIR="$pause" LD_PRELOAD="$ZEL_LOCK_PAUSE" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
    paused=$APP_PID
    wait_until 20 test -e "$pause/paused" || fail "round $round: the first start never reached its lock"
    start_app
    find_window "$ZEL_TITLE" >/dev/null || fail "round $round: the second start opened no main window"
    touch "$pause/go"
    wait_until 20 both_shown || fail "round $round: the paused start showed nothing"
    wait_until 3 one_of_each || fail "round $round: $(main_windows) main windows, $(notices) notices"
    kill -9 "$paused" "$APP_PID"
    wait_until 10 none_shown || fail "round $round: windows left"
done

# One start with a runtime folder of its own, one with none and another home.
mkdir -m 700 "$E2E_TMP/elsewhere" "$E2E_TMP/home"
start_app XDG_RUNTIME_DIR="$E2E_TMP/elsewhere"
first=$APP_PID
find_window "$ZEL_TITLE" >/dev/null || fail "no main window"
start_app -u XDG_RUNTIME_DIR HOME="$E2E_TMP/home" XDG_CACHE_HOME="$E2E_TMP/home/.cache"
wait_until 20 both_shown || fail "the start from another environment showed nothing"
wait_until 3 one_of_each || fail "other environments: $(main_windows) main windows, $(notices) notices"
kill -0 "$first" || fail "the first instance is gone"
echo "PASS: racing starts"
