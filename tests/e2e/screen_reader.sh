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

# utterances: what Orca has said so far, one utterance a line, line breaks
# inside one shown as " / ". A failure shows them (heard.log).
utterances() {
    /usr/bin/python3 - "$SPOKEN" <<'PY' | tee "$E2E_TMP/heard.log"
import re, sys
text = re.sub(r"[\r\n]+", "\n", open(sys.argv[1], encoding="utf-8", errors="replace").read())
for m in re.finditer(r" - SPEECH OUTPUT: '(.*?)' ?(?:\{[^\n]*\}|\[\{[^\n]*\}\])\n", text, re.S):
    print(re.sub(r"\n {18}", " / ", m.group(1)))
PY
}
HEARD=0
# hears SECONDS UTTERANCE...: Orca says each, in this order, after what was
# checked last (other utterances, such as keys echoed, may come between). An
# utterance starting with ~ is a regular expression.
hears() {
    local seconds=$1
    shift
    said_in_order() {
        local line=$HEARD want=("$@") i=0 n=0 text
        while IFS= read -r text; do
            n=$((n + 1))
            [ "$n" -le "$HEARD" ] && continue
            if [ "$text" = "${want[$i]}" ] \
                || { [ "${want[$i]:0:1}" = "~" ] && [[ $text =~ ${want[$i]:1} ]]; }; then
                i=$((i + 1))
                line=$n
                [ "$i" = "${#want[@]}" ] && { HEARD=$line; return 0; }
            fi
        done < <(utterances)
        return 1
    }
    wait_until "$seconds" said_in_order "$@" || fail "Orca did not say, in this order:
$(printf '  %s\n' "$@")
after utterance $HEARD of heard.log"
}

# atspi COMMAND ARG: the program as a screen reader sees it through AT-SPI.
#   texts PANEL  - the texts of the labels showing in the named panel
#   links        - role, name, description, actions and focus of each link in the dialog
#   press NAME   - the default action of the dialog's link named NAME
atspi() {
    timeout 20 /usr/bin/python3 - "$@" <<'PY'
import sys
import pyatspi

def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)

app = next(a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Zel Orvalis")
showing = lambda o: o.getState().contains(pyatspi.STATE_SHOWING)
command = sys.argv[1]
if command == "texts":
    panel = next(o for o in walk(app) if o.getRole() == pyatspi.ROLE_PANEL and o.name == sys.argv[2])
    for label in panel:
        if label.getRole() == pyatspi.ROLE_LABEL and showing(label):
            print(label.name.replace("\r\n", " / "))
dialogs = [w for w in app if w.getRole() == pyatspi.ROLE_DIALOG]
links = [o for o in walk(dialogs[0]) if o.getRole() == pyatspi.ROLE_LINK] if dialogs else []
if command == "links":
    for link in links:
        action = link.queryAction()
        actions = ",".join(action.getName(i) for i in range(action.nActions))
        states = set(link.getState().getStates())
        print("%s|%s|%s|%s|%s" % (link.getRoleName(), link.name, link.description, actions,
                                  "focusable" if pyatspi.STATE_FOCUSABLE in states else "no focus"))
if command == "press":
    link = next(l for l in links if l.name == sys.argv[2])
    sys.exit(0 if link.queryAction().doAction(0) else 1)
PY
}

# press KEY...: as a user does, once the screen reader has caught up (its
# log has been quiet for a moment). The program hands every key to the
# screen reader first and delivers it itself when no answer comes within
# 100 ms, while a chord's shortcut fires at once: a modifier and its key sent
# together can then arrive the wrong way round, and an Alt that comes after
# its menu has opened closes it again. So a chord is held as a person holds
# it: the modifier down, a moment, the key, the modifier up.
press() {
    quiet() {
        local size
        size=$(stat -c %s "$SPOKEN")
        sleep 0.3
        [ "$size" = "$(stat -c %s "$SPOKEN")" ]
    }
    local key
    for key in "$@"; do
        wait_until 10 quiet || true
        if [[ $key == *+* ]]; then
            xdotool keydown "${key%+*}"
            wait_until 10 quiet || true
            xdotool key "${key##*+}" keyup "${key%+*}"
        else
            xdotool key "$key"
        fi
    done
}

# menu CHECK KEY...: a menu command, pressed again (after Escape closes
# whatever opened instead) when a key went astray in the forwarding above.
menu() {
    local check=$1 attempt
    shift
    for attempt in 1 2 3; do
        press "$@"
        wait_until 5 "$check" && return 0
        press Escape
    done
    fail "'$*' did not work"
}
about_open() { [ "$(xdotool search --onlyvisible --name "^$ZEL_TITLE\$" 2>/dev/null | wc -l)" -ge 2 ]; }

hears 30 "Screen reader on."
mkdir -p "$XDG_CONFIG_HOME/Velmora"
printf '[Settings]\nDuration=2000-01-01\n' >"$XDG_CONFIG_HOME/Velmora/Zel Orvalis.conf"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_app

# The reminder is an alert; No leaves it without opening anything.
hears 20 "alert Zel Orvalis." "There maybe an update to this software available / Do you want to check for an update?" \
    "Yes push button."
press alt+n
# The search can trip over the reminder's window as it goes: ask again.
main_window() { find_window "$ZEL_TITLE" >/dev/null 2>&1; }
wait_until 10 main_window || fail "no main window"
hears 10 "Enter Your Question text."

# A reading is spoken within 2 seconds, name and whole text, as the result
# panel shows them, the focus left in the covered question field; the
# second reading is spoken too.
press R a i n
notifications() { utterances | grep -c '^notification ' || true; }
for reading in first second; do
    before=$(notifications)
    press alt+o
    spoken_again() { [ "$(notifications)" -gt "$before" ]; }
    wait_until 2 spoken_again || fail "the $reading reading was not spoken within 2 seconds"
    mapfile -t shown < <(atspi texts "Zel Orvalis Results")
    [ "${#shown[@]}" = 2 ] || fail "the result panel shows: ${shown[*]}"
    hears 2 "notification ${shown[0]}." "${shown[1]}"
done
press alt+b
hears 2 "notification Enter Your Question."

# About: its title and texts, then OK; its two links are links that Tab
# reaches after OK, say where they lead, and open through their default action.
menu about_open alt+h a
hears 10 "$ZEL_TITLE dialog Zel Orvalis is an ancient oracle based on the Etruscan texts and religion. This oracle is based on the mystical Etruscan Gods and Goddesses. These symbols are used for divination and gives an insight into one's problems. All rights reserved by Velmora. Home Business Opportunity. Start your own Internet business and make money online. Get this software fully branded for your website." \
    "OK push button."
links=$(atspi links)
home=$(fact HomePage)
expected="link|Click here for more details|Opens the full-branding offer in your web browser|Press,SetFocus|focusable
link|Click here to visit ${home#http://}|Opens the Velmora home page in your web browser|Press,SetFocus|focusable"
[ "$(sort <<<"$links")" = "$(sort <<<"$expected")" ] || fail "About's links:
$links"
atspi press "Click here to visit ${home#http://}" || fail "the link's action failed"
expect_opened "$home"
press Tab
hears 5 "Click here to visit ${home#http://} link." "Opens the Velmora home page in your web browser."
press Escape
hears 10 "Enter Your Question text."

# The support window is read as it opens, then its focused Exit.
menu find_support alt+f x
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
