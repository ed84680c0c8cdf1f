#!/usr/bin/env bash
# What a broken desktop can bring: no xdg-open at all, relative XDG folders
# and options meant for Qt. (A restart after kill -9 is robustness_load's;
# every kind of settings file, garbage too, the unit tests try.)
. "$(dirname "$0")/lib.sh"

start_x

# No xdg-open anywhere: links are silent and the window stays usable.
# The maintainer asks for the log: it still reaches stderr after start-up.
PATH=/nonexistent QT_LOGGING_RULES='zel.*=true' "$ZEL_BINARY" 2>"$E2E_TMP/maintainer.txt" &
APP_PID=$!
E2E_PIDS+=("$APP_PID")
win=$(find_window "$ZEL_TITLE") || fail "no main window without xdg-open"
bar=$(client_offset "$win")
focus "$win"
xdotool mousemove --window "$win" 280 $((bar + 8)) click 1
xdotool key alt+d alt+h o
focus "$win"
xdotool key alt+o
name_shown() { [ "$(yellow_pixels "$win" 192 $((bar + 64)) 200 18)" -gt 20 ]; }
wait_until 5 name_shown || fail "the window stopped answering after links failed to open"
[ "$(notices)" = 0 ] || fail "a failed link showed a message"
grep -q "zel.links: could not start xdg-open" "$E2E_TMP/maintainer.txt" \
    || fail "the maintainer's log said: $(cat "$E2E_TMP/maintainer.txt")"
kill -9 "$APP_PID"
wait_until 10 gone "$APP_PID"

# Relative XDG folders are ignored: nothing lands in the working folder.
mkdir "$E2E_TMP/work"
mkdir "$E2E_TMP/home"
(cd "$E2E_TMP/work" && HOME="$E2E_TMP/home" XDG_CONFIG_HOME=config XDG_RUNTIME_DIR=run XDG_CACHE_HOME=cache \
    exec "$ZEL_BINARY" >>"$E2E_TMP/app.log" 2>&1) &
APP_PID=$!
E2E_PIDS+=("$APP_PID")
win=$(find_window "$ZEL_TITLE") || fail "no main window with relative XDG folders"
close_window "$win"
find_support "$win" || fail "no support window with relative XDG folders"
leave_through_support
[ -z "$(ls -A "$E2E_TMP/work")" ] || fail "the working folder got: $(ls -A "$E2E_TMP/work")"

# The program takes no arguments, and hands none to Qt: no option retitles
# the window or mirrors its menu bar.
"$ZEL_BINARY" -qwindowtitle Mirrored -reverse >>"$E2E_TMP/app.log" 2>&1 &
APP_PID=$!
E2E_PIDS+=("$APP_PID")
win=$(find_window "$ZEL_TITLE") || fail "no main window titled as designed with Qt options given"
# "File" stands at the left end of the menu bar: dark text in its first 60 pixels.
menu_text=$(import -window "$win" -crop "60x$(client_offset "$win")+0+0" +repage txt:- \
    | grep -c '#[0-3][0-9A-F][0-3][0-9A-F][0-3][0-9A-F]' || true)
[ "$menu_text" -gt 10 ] || fail "the menu bar is mirrored"
echo "PASS: robustness"
