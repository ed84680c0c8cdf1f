#!/usr/bin/env bash
# The menu entries, reached by their access keys, and the link labels hand the
# desktop exactly their addresses. (About's links are the unit tests', and
# the Windows tests' under Wine.)
. "$(dirname "$0")/lib.sh"

start_x
record_links
start_app
win=$(find_window "$ZEL_TITLE") || fail "no main window"
bar=$(client_offset "$win")
focus "$win"

then_opens xdotool key alt+h o
expect_opened_links ProductHelpPage
then_opens xdotool key alt+h v
then_opens xdotool key alt+h u
then_opens xdotool key alt+d
then_opens xdotool mousemove --window "$win" 280 $((bar + 8)) click 1
opened=(ProductHelpPage HomePage ProductDownloadPage DonatePage HomePage)
expect_opened_links "${opened[@]}"

focus "$win"
xdotool key alt+f x
find_support "$win" || fail "Exit showed no support window"
close_window "$SUPPORT"
wait_until 10 app_ended || fail "closing the support window did not end the program"
code=$(exit_code "$APP_PID")
[ "$code" = 0 ] || fail "exit code $code"
[ "$(opened_count)" = "${#opened[@]}" ] || fail "something else was opened"
echo "PASS: links"
