#!/usr/bin/env bash
# A key held down, repeated by the X server itself, opens a link, presses
# the home page button or triggers a menu command's access key once, and
# raises the box a space in an e-mail address raises once; two quick presses
# act twice. With the accessibility bus on, as under a screen reader, and
# every core busy: then Qt takes many of the repeats for new presses.
for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool (scripts/install-deps.sh installs it)"; exit 77; }
done
if [ -z "${ZEL_IN_SESSION:-}" ]; then
    ZEL_IN_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"

start_x
record_links
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_TMP/atspi.log" 2>&1 &
E2E_PIDS+=($!)
# The server's auto-repeat on: after 250 ms, every 20 ms. Read back, so
# that a server that never repeats cannot pass for a program that is right.
xset r on r rate 250 50
xset q | grep -q 'auto repeat:  on.*' && xset q | grep -q 'auto repeat delay:  250' \
    || fail "the server's auto-repeat is off: $(xset q | grep -i repeat)"
for _ in $(seq "$(nproc)"); do
    yes >/dev/null &
    E2E_PIDS+=($!)
done

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_app
win=$(find_window "$ZEL_TITLE") || fail "no main window"

# opens BEFORE N WHAT: N more addresses than BEFORE are opened, and no more
# in the 2 s after.
opens() {
    wait_until 10 opened_at_least $(($1 + $2)) || true
    sleep 2
    [ "$(opened_count)" = $(($1 + $2)) ] || fail "$3 opened $(($(opened_count) - $1)) times"
}

# presses KEY WHAT: on the focused WHAT, KEY held for 2 s opens it once, and
# two presses 80 ms apart open it twice.
presses() {
    local before
    before=$(opened_count)
    xdotool keydown "$1" sleep 2 keyup "$1"
    opens "$before" 1 "$1 held on $2"
    xdotool key "$1" sleep 0.08 key "$1"
    opens $((before + 1)) 2 "two presses of $1 on $2"
}

focus "$win"
xdotool key Tab Tab Tab # the question -> the reading button -> Back -> the forum link
presses Return "the forum link"
presses space "the forum link"
presses alt+d "the Donate command"
xdotool key alt+f x
find_support "$win" || fail "Exit showed no support window"
focus "$SUPPORT"
xdotool key Tab # Exit -> Check1
presses space Check1
xdotool key Tab Tab Tab # the name -> Refer A Friend Now -> the e-mail address
xdotool keydown space
box=$(find_window "$ZEL_APP_TITLE") || fail "a space in the e-mail address raised no box"
sleep 2
xdotool keyup space
sleep 0.5
boxes=$(xdotool search --onlyvisible --name "^$ZEL_APP_TITLE\$")
[ "$boxes" = "$box" ] || fail "a held space raised the box again: $boxes, first $box"
focus "$box"
xdotool key Return
wait_until 10 sh -c '[ "$(xdotool search --onlyvisible --name "^$0\$" | wc -l)" = 0 ]' "$ZEL_APP_TITLE" \
    || fail "the box did not close"
expect_opened_links HomePage HomePage HomePage HomePage HomePage HomePage \
    DonatePage DonatePage DonatePage HomePage HomePage HomePage
echo "PASS: held keys"
