# The update reminder against the registry: 15 days on it asks before the
# main window opens, and No stores today; any other value starts quietly,
# and only a missing one is replaced.

# stored_duration: prints "TYPE DATA", or nothing without a value.
stored_duration() {
    wine reg query "$SETTINGS_KEY" /v Duration 2>/dev/null | tr -d '\r' \
        | awk '$1 == "Duration" { print $2, $3 }'
}

# starts_quietly TYPE DATA STORED: with this value the program opens its main
# window without asking, and the value is then STORED.
starts_quietly() {
    local win
    if [ "$1" = none ]; then store_duration none; else store_duration "$2" "$1"; fi
    start_app
    win=$(find_window "$ZEL_TITLE") \
        || { box_up && fail "the reminder was asked with $1 $2"; fail "no main window with $1 $2"; }
    ! box_up || fail "the reminder was asked with $1 $2"
    [ "$(stored_duration)" = "$3" ] || fail "with $1 $2 the value became '$(stored_duration)', not '$3'"
    quit "$win"
}

reminder() {
    local box win quiet today
    today=$(date +%F)
    : >"$OPENED"
    store_duration "$(date -d '15 days ago' +%F)"
    start_app
    box=$(find_window "$ZEL_APP_TITLE") || fail "no reminder 15 days on"
    [ "$(main_windows)" = 0 ] || fail "the main window opened before the reminder was answered"
    box_says "$box" "Do you want to check for an update?" || fail "the reminder asks something else"
    xdotool key alt+n
    win=$(find_window "$ZEL_TITLE") || fail "no main window after No"
    [ "$(stored_duration)" = "REG_SZ $today" ] || fail "No stored '$(stored_duration)', not today"
    quit "$win"
    [ "$(opened_count)" = 0 ] || fail "No opened $(tr '\0' ' ' <"$OPENED")"

    quiet=$(date -d '14 days ago' +%F)
    starts_quietly REG_SZ "$quiet" "REG_SZ $quiet"
    starts_quietly REG_SZ garbage "REG_SZ garbage"
    starts_quietly REG_SZ 2026-13-01 "REG_SZ 2026-13-01"
    starts_quietly REG_BINARY 0102 "REG_BINARY 0102"
    starts_quietly none "" "REG_SZ $today"
    pass "reminder against the registry"
}
