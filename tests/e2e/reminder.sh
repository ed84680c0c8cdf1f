#!/usr/bin/env bash
# The update reminder with a private settings folder: a first run stores
# today quietly; a date 20 days back brings the question before the main
# window, and Yes opens the download page and stores today.
. "$(dirname "$0")/lib.sh"
conf=$SETTINGS_FILE
today=$(date +%F)

start_x
record_links
start_app
win=$(find_window "$ZEL_TITLE") || fail "no main window on the first run"
grep -qx "Duration=$today" "$conf" || fail "the first run did not store today: $(cat "$conf")"
close_window "$win"
find_support "$win" || fail "no support window"
focus "$SUPPORT"
xdotool key alt+x
wait_until 10 app_ended || fail "the first run did not end"

sed -i "s/^Duration=.*/Duration=$(date -d '20 days ago' +%F)/" "$conf"
start_app
box=$(find_window "$ZEL_APP_TITLE") || fail "no reminder"
if xdotool search --onlyvisible --name "^$ZEL_TITLE\$" >/dev/null; then
    fail "the main window opened before the reminder was answered"
fi
[ -n "${E2E_SHOT_DIR:-}" ] && import -window root "$E2E_SHOT_DIR/reminder.png"
focus "$box"
xdotool key Return
expect_opened_links ProductDownloadPage
grep -qx "Duration=$today" "$conf" || fail "Yes did not store today: $(cat "$conf")"
find_window "$ZEL_TITLE" >/dev/null || fail "no main window after the reminder"
echo "PASS: reminder"
