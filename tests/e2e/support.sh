#!/usr/bin/env bash
# The end of a run: closing the main window brings the support window above
# the others; a referral typed there reaches the desktop as one encoded
# address; Exit ends the program cleanly.
. "$(dirname "$0")/lib.sh"

start_x
record_links
start_app
win=$(find_window "$ZEL_TITLE") || fail "no main window"
close_window "$win"
find_support "$win" || fail "closing the main window showed no support window"
centred "$SUPPORT" || fail "the support window is not in the middle of the screen"
wait_until 5 sh -c "! xwininfo -id $win >/dev/null 2>&1 || ! xwininfo -id $win | grep -q IsViewable" \
    || fail "the main window stayed"
xprop -id "$SUPPORT" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the support window is not kept above"
top=$(xprop -root _NET_CLIENT_LIST_STACKING | awk '{print $NF}')
[ "$((top))" = "$((SUPPORT))" ] || fail "the support window is not on top"

type_referral 15 "Tom & Jerry" "tom@x.org" "zoe+1@y.org" "Zoe #1=2%"
xdotool key alt+n
expect_opened "$(fact ReferralEndpoint)?taf1=Tom%20%26%20Jerry&taf2=tom%40x.org&taf3=Your%20Message%0D%0A&taf4=Zoe%20%231%3D2%25&taf5=zoe%2B1%40y.org&taf6=$(referral_site)"

leave_through_support
[ "$(opened_count)" = 1 ] || fail "something else was opened"
echo "PASS: support"
