# The support window stays on top; its referral hands the form's values,
# encoded, to the referral address; a second instance says so on top of
# everything, ends with 0 once answered, and leaves the first alone.
support() {
    local first win second box code
    : >"$OPENED"
    start_app
    first=$APP_PID
    win=$(find_window "$ZEL_TITLE") || fail "no main window"
    close_window "$win"
    find_support "$win" || fail "closing the main window showed no support window"
    above "$SUPPORT" || fail "the support window is not topmost"
    on_top "$SUPPORT" || fail "the support window is not on top"

    type_referral 30 "Tom & Jérry" "tom@x.org" "zoe+1@y.org" "Zoé #1=2%"
    xdotool key alt+n
    expect_opened "$(fact ReferralEndpoint)?taf1=Tom%20%26%20J%C3%A9rry&taf2=tom%40x.org&taf3=Your%20Message%0D%0A&taf4=Zo%C3%A9%20%231%3D2%25&taf5=zoe%2B1%40y.org&taf6=$(referral_site)"

    start_app
    second=$APP_PID
    box=$(find_window "$ZEL_APP_TITLE") || fail "the second instance showed no notice"
    above "$box" || fail "the second instance's notice is not topmost"
    on_top "$box" || fail "the second instance's notice lies below another window"
    box_says "$box" "Application is already running" || fail "the second instance's notice says something else"
    focus "$box"
    xdotool key Return
    wait_until 10 app_ended || fail "the second instance did not end after Enter"
    code=$(exit_code "$second")
    [ "$code" = 0 ] || fail "the second instance ended with exit code $code"

    APP_PID=$first
    kill -0 "$first" 2>/dev/null || fail "the first instance is gone"
    leave_through_support
    [ "$(opened_count)" = 1 ] || fail "something else was opened: $(tr '\0' ' ' <"$OPENED")"
    pass "support window, referral and second instance"
}
