#!/usr/bin/env bash
# A blind user's whole run, heard through a real screen reader: Orca speaks
# into its debug log, and each step checks what it said. The reminder, two
# readings, the way back, About with its links, the support window, its
# referral fields, a refused space, and the end. One link is opened through
# the accessibility Action interface, as a screen reader opens it.
for tool in orca dbus-run-session /usr/libexec/at-spi-bus-launcher script; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool (scripts/install-deps.sh installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: no python3-pyatspi"; exit 77; }
# Debian's Python, which has the accessibility bindings.
# A private session bus for the accessibility bus, Orca and the program.
if [ -z "${ZEL_IN_SESSION:-}" ]; then
    ZEL_IN_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/screen_reader_lib.sh"
export XDG_DATA_HOME="$E2E_TMP/data" XDG_CACHE_HOME="$E2E_TMP/cache"
mkdir -p "$XDG_DATA_HOME" "$XDG_CACHE_HOME"

start_x
record_links
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_TMP/atspi.log" 2>&1 &
E2E_PIDS+=($!)
# Orca writes its log through a terminal, which passes each line on at once.
SPOKEN="$E2E_TMP/orca.out"
script -q -f -c "orca --replace --disable braille --debug-file=/dev/tty" "$SPOKEN" </dev/null >/dev/null 2>&1 &
E2E_PIDS+=($!)

hears 30 "Screen reader on."
store_duration 2000-01-01
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_app

# The reminder is an alert; No leaves it without opening anything.
hears 20 "alert Zel Orvalis." "There maybe an update to this software available / Do you want to check for an update?" \
    "Yes push button."
press alt+n
# The search can trip over the reminder's window as it goes: ask again.
main_window() { win=$(find_window "$ZEL_TITLE" 2>/dev/null); }
wait_until 10 main_window || fail "no main window"
hears 10 "Enter Your Question text."

# A reading is spoken at once (10 seconds allow for a busy machine), name
# and whole text, as the result panel shows them, the focus left in the
# covered question field; the second reading is spoken too.
press R a i n
notifications() { utterances | grep -c '^notification ' || true; }
for reading in first second; do
    before=$(notifications)
    press alt+o
    spoken_again() { [ "$(notifications)" -gt "$before" ]; }
    wait_until 10 spoken_again || fail "the $reading reading was not spoken within 10 seconds"
    mapfile -t shown < <(atspi texts "Zel Orvalis Results")
    [ "${#shown[@]}" = 2 ] || fail "the result panel shows: ${shown[*]}"
    hears 10 "notification ${shown[0]}." "${shown[1]}"
done
# Every Tab stop is heard, the covered page's too: the question and its
# button stay in the Tab order while a reading shows, and Back while asking.
tab_stops() {
    press Tab
    hears 5 "Orvalis Reading push button."
    press Tab
    hears 5 "Back push button."
    press shift+Tab shift+Tab
    hears 5 "Enter Your Question text."
}
tab_stops
press alt+b
hears 10 "notification Enter Your Question."
tab_stops

# About: its title and texts, then OK; a link opens through its default
# action, and Tab reaches it after OK, a link that says where it leads. (What
# each link is told as, every state and action, is About's accessible tree's.)
menu about_open alt+h a
hears 10 "$ZEL_TITLE dialog Zel Orvalis is an ancient oracle based on the Etruscan texts and religion. This oracle is based on the mystical Etruscan Gods and Goddesses. These symbols are used for divination and gives an insight into one's problems. All rights reserved by Velmora. Home Business Opportunity. Start your own Internet business and make money online. Get this software fully branded for your website." \
    "OK push button."
home=$(fact HomePage)
atspi press "Click here to visit ${home#http://}" || fail "the link's action failed"
expect_opened "$home"
press Tab
hears 5 "Click here to visit ${home#http://} link." "Opens the Velmora home page in your web browser."
press Escape
hears 10 "Enter Your Question text."

# The support window is read as it opens, then its focused Exit.
support_shown() { find_support "$win"; }
menu support_shown alt+f x
appeals="(Velmora Softwares, such as this|Visit Velmora regularly\\.|Velmora is a FREE|Velmora needs your help\\.)"
hears 10 "~^$ZEL_TITLE dialog If you have enjoyed this software .* share your experience with your friends and family\\. +$appeals" \
    "Exit push button."
# Tab: the home-page button is a push button, never a check box; each
# referral field says its prompt and that it is a text field.
press Tab
hears 5 "Click Here To Visit Velmora Now push button." "Opens the Velmora home page in your web browser."
press Tab
hears 5 "Your Name text."
press Tab
hears 5 "Refer A Friend Now push button."
press shift+Tab
hears 5 "Your Name text."
press Tab Tab
hears 5 "Your Email Address text."
# A space in an e-mail address is refused with an alert.
press space
hears 5 "alert Zel Orvalis." "Email Address Cannot Contain Space." "OK push button."
press Return
hears 5 "Your Email Address text."
press Tab
hears 5 "Friend's Email Address text."
press Tab
hears 5 "Friend's Name text."
press Tab
hears 5 "Your Message text."
if utterances | grep -qiE "check box|not checked"; then
    fail "something was heard as a check box"
fi
[ "$(opened_count)" = 1 ] || fail "something else was opened"

leave_through_support
echo "PASS: screen reader"
