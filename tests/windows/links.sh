# Every menu command and link label of the three windows opens exactly its
# address, one at a time, in order; Enter closes About, and closing the
# support window ends the program with exit code 0.
links() {
    local win bar brand code
    start_app
    win=$(find_window "$ZEL_TITLE") || fail "no main window"
    bar=$(client_offset "$win")
    focus "$win"
    then_opens xdotool key alt+h o
    then_opens xdotool key alt+h v
    then_opens xdotool key alt+h u
    then_opens xdotool key alt+d
    then_opens xdotool mousemove --window "$win" 280 $((bar + 8)) click 1
    # The strip shows one of the two brand labels, drawn at random.
    then_opens xdotool mousemove --window "$win" 280 $((bar + 328)) click 1
    case $(tr '\0' '\n' <"$OPENED" | tail -n1) in
        "$(fact CoBrandPage)") brand=CoBrandPage ;;
        "$(fact FullBrandPage)") brand=FullBrandPage ;;
        *) fail "the brand strip opened '$(tr '\0' '\n' <"$OPENED" | tail -n1)'" ;;
    esac

    xdotool key alt+h a
    find_about "$win"
    then_opens xdotool mousemove --window "$ABOUT" 140 97 click 1
    then_opens xdotool mousemove --window "$ABOUT" 260 171 click 1
    xdotool key Return
    wait_until 5 window_gone "$ABOUT" || fail "Enter left the About window open"

    focus "$win"
    xdotool key alt+f x
    find_support "$win" || fail "File > Exit showed no support window"
    then_opens xdotool mousemove --window "$SUPPORT" 240 154 click 1
    then_opens xdotool mousemove --window "$SUPPORT" 600 298 click 1
    expect_opened_via_wine ProductHelpPage HomePage ProductDownloadPage DonatePage HomePage \
        "$brand" HomePage FullBrandPage HomePage SoftwareLibraryPage
    close_window "$SUPPORT"
    wait_until 10 app_ended || fail "closing the support window did not end the program"
    code=$(exit_code "$APP_PID")
    [ "$code" = 0 ] || fail "exit code $code after closing the support window"
    pass "every link and menu command"
}
