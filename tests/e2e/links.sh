#!/usr/bin/env bash
# The menu entries, reached by their access keys, and the link labels hand the
# desktop exactly their addresses; the About window opens and closes.
. "$(dirname "$0")/lib.sh"
maker="$ZEL_MAKER_SITE_BASE" helpsite="$ZEL_HELP_SITE_BASE"
product="$ZEL_PRODUCT_SITE_BASE" home="$ZEL_HOME_PAGE"

start_x
record_links
start_app
win=$(find_window "Zel Orvalis v1.0") || fail "no main window"
bar=$(client_offset "$win")
focus "$win"

then_opens xdotool key alt+h o
expect_opened "$product/zel-free-orvalis-help.html"
then_opens xdotool key alt+h v
then_opens xdotool key alt+h u
then_opens xdotool key alt+d
then_opens xdotool mousemove --window "$win" 280 $((bar + 8)) click 1
expect_opened "$product/zel-free-orvalis-help.html" "$home" \
    "$product/download-zel-free-orvalis.html" "$helpsite/donate.html" "$home"

xdotool key alt+h a
other_window() {
    about=$(xdotool search --onlyvisible --name '^Zel Orvalis v1.0$' | grep -vx "$win" | head -n1)
    [ -n "$about" ]
}
wait_until 10 other_window || fail "no About window"
wait_until 10 managed "$about" || fail "the About window is not managed"
read -r width height < <(xwininfo -id "$about" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
[ "$width" = 399 ] && [ "$height" = 226 ] || fail "About window is ${width}x${height}"
[ -n "${E2E_SHOT_DIR:-}" ] && import -window root "$E2E_SHOT_DIR/about.png"
then_opens xdotool mousemove --window "$about" 140 97 click 1
then_opens xdotool mousemove --window "$about" 260 171 click 1
expect_opened "$product/zel-free-orvalis-help.html" "$home" \
    "$product/download-zel-free-orvalis.html" "$helpsite/donate.html" "$home" \
    "$home" "$helpsite/fully-branded.html"
xdotool key Return
about_gone() { ! xwininfo -id "$about" 2>/dev/null | grep -q IsViewable; }
wait_until 5 about_gone || fail "Enter left the About window open"

focus "$win"
xdotool key alt+f x
find_support || fail "Exit showed no support window"
close_window "$SUPPORT"
wait_until 10 app_ended || fail "closing the support window did not end the program"
code=$(exit_code "$APP_PID")
[ "$code" = 0 ] || fail "exit code $code"
[ "$(opened_count)" = 7 ] || fail "something else was opened"
: "$maker"
echo "PASS: links"
