# What a Windows screen reader gets, read under Wine by uia_client.exe, a UI
# Automation client of our own that asks through IUIAutomation as screen
# readers do there. A stage of tests/windows/run.sh.
#
# Wine cannot show everything a screen reader on Windows gets: it delivers no
# UI Automation notifications (the spoken reading) and its flat pattern calls
# (UiaGetPatternProvider), and the client's (GetCurrentPattern), are stubs,
# as are GetCurrentPropertyValue and most get_Current... calls, which the
# client does without. The reading is checked here as what the result panel
# holds; Invoke is tried, and skipped with a word where the calls are stubs.

# uia COMMAND WINDOW [ARG]: what the client prints; it fails, and so does this,
# when the window is not found or has stopped answering its messages.
uia() {
    local out code=0
    out=$(wine "$tests/bin/uia_client.exe" "$@" 2>>"$E2E_TMP/uia.log") || code=$?
    out=$(tr -d '\r' <<<"$out")
    printf '%s\n' "$out" >>"$E2E_TMP/uia-read.log"
    [ "$code" = 0 ] || fail "uia_client $* ended with $code:
$out"
    printf '%s\n' "$out"
}

# presses NAME DESTINATION: the element named NAME in the window in front,
# pressed through its Invoke pattern as a screen reader presses it, opens
# DESTINATION.
presses() {
    local out code attempt
    for attempt in 1 2; do
        : >"$OPENED"
        code=0
        out=$(wine "$tests/bin/uia_client.exe" invoke "$ZEL_TITLE" "$1" 2>>"$E2E_TMP/uia.log") \
            || code=$?
        out=$(tr -d '\r' <<<"$out")
        printf 'invoke %s: %s %s\n' "$1" "$code" "$out" >>"$E2E_TMP/uia-read.log"
        case $code in
            # Once under Wine a press was reported done and nothing came of it: a
            # second press tells a slip of Wine's from a press that does nothing.
            0) wait_until 20 opened_at_least 1 && break
               [ "$attempt" = 1 ] || expect_opened_via_wine "$2" ;;
            3) echo "SKIP: Invoke on '$1' (this Wine has no pattern calls: $out)"
               return 0 ;;
            *) fail "uia_client invoke '$1' ended with $code: $out" ;;
        esac
    done
    expect_opened_via_wine "$2"
}

# reads WINDOW NAME: the window's tree as a screen reader can move through it,
# into TREE; the window is brought to the front and read there by its name.
reads() {
    focus "$1"
    TREE=$(uia tree "$2")
    READ="$2 ($1)"
}
# has [-n COUNT] PATTERN...: each extended regular expression matches a line
# of the tree (COUNT lines, with -n); lacks: none does.
has() {
    local count=""
    [ "$1" = -n ] && { count=$2; shift 2; }
    local pattern found
    for pattern in "$@"; do
        found=$(grep -cE "^ *$pattern" <<<"$TREE" || true)
        if [ -n "$count" ] && [ "$found" != "$count" ] || [ "$found" = 0 ]; then
            fail "$READ: ${count:-some} lines match '$pattern', not $found:
$TREE"
        fi
    done
}
lacks() {
    local pattern
    for pattern in "$@"; do
        ! grep -qE "$pattern" <<<"$TREE" || fail "$READ holds '$pattern':
$TREE"
    done
}

screen_reader() {
    : >"$OPENED"
    store_duration "$(date -d '15 days ago' +%F)"
    start_app
    local box win
    box=$(find_window "$ZEL_APP_TITLE") || fail "no reminder"
    reads "$box" "$ZEL_APP_TITLE"
    has "Text\|There maybe an update to this software available / Do you want to check for an update\?\|" \
        "Button\|Yes\|" "Button\|No\|"
    xdotool key alt+n
    win=$(find_window "$ZEL_TITLE") || fail "no main window after No"

    # Asking: the question, the reading button, links that say where they
    # lead; no unnamed group, nothing of the result panel.
    reads "$win" "$ZEL_TITLE"
    has "Edit\|Enter Your Question\|.*focusable" "Button\|Orvalis Reading\|.*focusable" \
        "Group\|Your question\|"
    has -n 2 "Hyperlink\|[^|]+\|Opens the [^|]+ in your web browser\|"
    lacks "^ *Group\|\|" "Zel Orvalis Results" "Button\|Back\|"

    # A reading: the drawn name and its text, and the way back; the covered
    # question panel is gone.
    xdotool key alt+o
    reads "$win" "$ZEL_TITLE"
    has "Group\|Zel Orvalis Results\|" "Text\|[^|]+\|" "Text\|[^|]+ / [^|]+\|" "Button\|Back\|"
    lacks "Edit\|Enter Your Question\|" "Button\|Orvalis Reading\|" "Group\|Your question\|"
    xdotool key alt+b

    # About: its two links and OK; a link opens through its Invoke pattern.
    xdotool key alt+h a
    find_about "$win"
    reads "$ABOUT" "$ZEL_TITLE"
    has -n 2 "Hyperlink\|[^|]+\|Opens the [^|]+ in your web browser\|"
    has "Button\|OK\|"
    local home
    home=$(fact HomePage)
    presses "Click here to visit ${home#*://}" HomePage
    xdotool key Return

    # The support window: a push button, never a check box; each field named
    # by its prompt; Exit.
    focus "$win"
    xdotool key alt+f x
    find_support "$win" || fail "File > Exit showed no support window"
    reads "$SUPPORT" "$ZEL_TITLE"
    has "Button\|Click Here To Visit Velmora Now\|.*\.Check1$" "Edit\|Your Name\|" \
        "Edit\|Your Email Address\|" "Edit\|Friend's Name\|" "Edit\|Friend's Email Address\|" \
        "Edit\|Your Message\|" "Button\|Exit\|.*focused"
    lacks "CheckBox"
    presses "Click Here To Visit Velmora Now" HomePage

    # The focus, followed as a screen reader follows it.
    local events="$E2E_TMP/focus.txt"
    wine "$tests/bin/uia_client.exe" focus "$ZEL_TITLE" 8 >"$events" 2>>"$E2E_TMP/uia.log" &
    local watching=$!
    wait_until 10 grep -qs watching "$events" || fail "the focus watch did not start"
    xdotool key Tab
    sleep 1
    xdotool key Tab
    wait "$watching" || fail "the focus watch failed: $(cat "$events")"
    TREE=$(tr -d '\r' <"$events") READ="the focus events"
    has "focus Button\|Click Here To Visit Velmora Now\|" "focus Edit\|Your Name\|"
    leave_through_support
    pass "what a screen reader reads, through UI Automation"
}
