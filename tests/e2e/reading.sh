#!/usr/bin/env bash
# A user asks for a reading, reads it, goes back, and closes the window.
. "$(dirname "$0")/lib.sh"
start_x
start_app
win=$(find_window "$ZEL_TITLE") || fail "no main window"
centred "$win" || fail "the main window is not in the middle of the screen"

read -r width height < <(xwininfo -id "$win" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
# The menu bar sits above the 562 x 354 client area.
bar=$((height - 354))
[ "$width" = 562 ] && [ "$bar" -ge 15 ] && [ "$bar" -le 40 ] || fail "window is ${width}x${height}"
if xprop -id "$win" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE; then
    fail "the window can be maximised"
fi

# Yellow text marks each panel: "Enter Your Question" on the question panel,
# the drawn name on the result panel (client coordinates).
prompt() { yellow_pixels "$win" 262 $((bar + 144)) 130 13; }
name() { yellow_pixels "$win" 192 $((bar + 64)) 200 18; }
asking() { [ "$(prompt)" -gt 20 ] && [ "$(name)" -eq 0 ]; }
reading() { [ "$(prompt)" -eq 0 ] && [ "$(name)" -gt 20 ]; }

wait_until 5 asking || fail "the question panel is not in front at start"
focus "$win"
xdotool type --delay 10 "Will the harvest be good?"

xdotool key alt+o
wait_until 5 reading || fail "Alt+O showed no reading"

xdotool key alt+b
wait_until 5 asking || fail "Alt+B did not bring the question panel back"
xdotool key alt+o
wait_until 5 reading || fail "a second reading did not show"

# Closing the main window brings the support window; Enter on its focused
# Exit button ends the program.
close_with_alt_f4 "$win"
find_support "$win" || fail "closing the main window showed no support window"
focus "$SUPPORT"
xdotool key Return
wait_until 10 app_ended || fail "Enter on Exit did not end the program"
code=$(exit_code "$APP_PID")
[ "$code" = 0 ] || fail "exit code $code"
# Each start draws afresh: four runs do not all give the same first reading.
drawn=()
for run in 1 2 3 4; do
    start_app
    win=$(find_window "$ZEL_TITLE") || fail "no main window in run $run"
    focus "$win"
    xdotool key alt+o
    wait_until 5 reading || fail "no reading in run $run"
    drawn+=("$(import -window "$win" -crop "357x60+192+$((bar + 32))" +repage rgb:- | md5sum)")
    kill -9 "$APP_PID"
    wait_until 10 app_ended
done
[ "$(printf '%s\n' "${drawn[@]}" | sort -u | wc -l)" -gt 1 ] || fail "four starts drew the same reading"
echo "PASS: reading"
