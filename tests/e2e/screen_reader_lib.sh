# Shared by tests of what a screen reader gets on Linux: Orca speaking into
# its debug log, and AT-SPI asked as a screen reader asks. Source it after
# lib.sh, with Orca's log in SPOKEN.

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
hears() {
    local seconds=$1
    shift
    wait_until "$seconds" said_in_order "$@" || fail "Orca did not say, in this order:
$(printf '  %s\n' "$@")
after utterance $HEARD of heard.log"
}

# atspi COMMAND ARG: the program as a screen reader sees it through AT-SPI.
#   texts PANEL  - the texts of the labels showing in the named panel
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
quiet() {
    local size
    size=$(stat -c %s "$SPOKEN")
    sleep 0.3
    [ "$size" = "$(stat -c %s "$SPOKEN")" ]
}
press() {
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
