#!/usr/bin/env bash
# A second start while the program runs shows its notice, ends, and leaves the
# first instance exactly as it was; on a day the reminder is due, it never
# asks first.
. "$(dirname "$0")/lib.sh"
start_x
start_app
first=$APP_PID
win=$(find_window "$ZEL_TITLE") || fail "no main window"
xdotool windowminimize --sync "$win"
lock=$(held_lock "$first") || fail "no instance lock"
[ "$(lock_holder "$lock")" = "$first" ] || fail "the lock is not the first instance's"

stored_state() { find "$XDG_CONFIG_HOME" -type f -exec md5sum {} + | sort; }
[ -n "$(stored_state)" ] || fail "the first instance stored no date"
# Due again: a second start is refused before any reminder could ask.
sed -i "s/^Duration=.*/Duration=2000-01-01/" "$SETTINGS_FILE"
before=$(stored_state)

start_app
second=$APP_PID
refused "$second" "the second instance"
code=$(exit_code "$second")
[ "$code" = 0 ] || fail "the second instance ended with $code"

kill -0 "$first" || fail "the first instance is gone"
xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN || fail "the first window was restored"
[ "$(lock_holder "$lock")" = "$first" ] || fail "the lock changed hands"
[ "$(stored_state)" = "$before" ] || fail "the second instance stored something"

# With the first instance's topmost support window up, the next notice still
# comes to the front, above it, where the user sees it; and its lock files
# cleaned away meanwhile let no second instance in.
for fd in /proc/"$first"/fd/*; do
    case $(readlink "$fd") in */zel-orvalis-[0-9]*.lock) rm "$(readlink "$fd")" ;; esac
done
close_window "$win"
find_support "$win" || fail "no support window"
start_app
third=$APP_PID
box=$(find_window "$ZEL_APP_TITLE") || fail "the third instance showed no notice"
xprop -id "$box" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the notice is not kept on top"
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x')
top=$(printf '%s\n' "$stacking" | tail -n1)
[ "$((top))" = "$((box))" ] || fail "the notice lies below another window: $stacking"
focus "$box"
xdotool key Return
wait_until 10 sh -c "! kill -0 $third 2>/dev/null" || fail "the third instance did not end"
echo "PASS: single instance"
