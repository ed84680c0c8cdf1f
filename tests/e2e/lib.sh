# Shared by the end-to-end tests: the private X session, and checks of what
# the program shows and opens. Source it.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xsession.sh"

# yellow_pixels WINDOW X Y W H: how many pure-yellow pixels the user sees there.
yellow_pixels() {
    import -window "$1" "$E2E_TMP/shot.png" 2>/dev/null
    convert "$E2E_TMP/shot.png" -crop "$4x$5+$2+$3" +repage txt:- | grep -ci '#FFFF00' || true
}

# exit_code PID: waits for a child started here and prints its exit code.
exit_code() {
    local code=0
    wait "$1" || code=$?
    echo "$code"
}

# main_windows, notices: how many main windows and notices are on screen.
main_windows() { xdotool search --onlyvisible --name "^$ZEL_TITLE\$" 2>/dev/null | wc -l; }
notices() { xdotool search --onlyvisible --name '^Zel Orvalis$' 2>/dev/null | wc -l; }

# gone PID: the process has ended.
gone() { ! kill -0 "$1" 2>/dev/null; }

# refused PID WHO: the start PID showed the notice and no main window, and
# ended once it was answered; WHO names it in a failure.
refused() {
    local box
    box=$(find_window "Zel Orvalis") || fail "$2 showed no notice"
    [ "$(xdotool search --all --pid "$1" --name "$ZEL_TITLE" | wc -l)" = 0 ] \
        || fail "$2 opened a main window"
    focus "$box"
    xdotool key Return
    wait_until 10 gone "$1" || fail "$2 did not end"
}

# launch [env arguments]: runs the program in the background as env would
# with these arguments; sets APP_PID.
launch() {
    env "$@" "$ZEL_BINARY" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=("$APP_PID")
}

# held_lock PID: the instance lock file that the program PID holds open.
held_lock() {
    local fd
    for fd in /proc/"$1"/fd/*; do
        case $(readlink "$fd") in */zel-orvalis-[0-9]*.lock) readlink "$fd" && return 0 ;; esac
    done
    return 1
}

# lock_holder FILE: the process whose flock is on FILE, as the kernel lists it.
lock_holder() {
    local inode
    inode=$(stat -c %i "$1") || return 1
    awk -v inode="$inode" '$2 == "FLOCK" { n = split($6, f, ":"); if (f[n] == inode) print $5 }' \
        /proc/locks
}

# opened_count: how many addresses have been opened so far.
opened_count() {
    tr -cd '\0' <"$OPENED" | wc -c
}

opened_at_least() { [ "$(opened_count)" -ge "$1" ]; }

# then_opens COMMAND...: runs it and waits for one more address, so that
# addresses opened one after another are recorded in that order.
then_opens() {
    local before
    before=$(opened_count)
    "$@"
    wait_until 10 opened_at_least $((before + 1)) || fail "'$*' opened nothing"
}

# expect_opened ADDRESS...: the addresses opened so far, exactly and in order.
expect_opened() {
    local expected
    expected=$(printf '%s\n' "$@")
    wait_until 10 opened_at_least "$#" || true
    local actual
    actual=$(tr '\0' '\n' <"$OPENED")
    [ "$actual" = "$expected" ] || fail "opened:
$actual
expected:
$expected"
}

# expect_opened_links NAME...: as expect_opened, with destinations by name.
expect_opened_links() {
    local name addresses=()
    for name in "$@"; do
        addresses+=("$(fact "$name")")
    done
    expect_opened "${addresses[@]}"
}

# type_referral DELAY NAME EMAIL FRIEND_EMAIL FRIEND_NAME: from Exit, which has
# the focus when the support window opens, Tab reaches the fields in this order.
type_referral() {
    local delay=$1
    focus "$SUPPORT"
    xdotool key Tab Tab # Exit -> Check1 -> name
    xdotool type --delay "$delay" "$2"
    xdotool key Tab Tab # -> Refer A Friend Now -> e-mail
    xdotool type --delay "$delay" "$3"
    xdotool key Tab # -> friend's e-mail
    xdotool type --delay "$delay" "$4"
    xdotool key Tab # -> friend's name
    xdotool type --delay "$delay" "$5"
}

# referral_site: the product site as the referral's last value encodes it.
referral_site() {
    local site
    site=$(fact ProductSite)
    site=${site//:/%3A}
    printf '%s\n' "${site//\//%2F}"
}

# leave_through_support: E&xit in the support window ends the program with
# exit code 0.
leave_through_support() {
    focus "$SUPPORT"
    xdotool key alt+x
    wait_until 10 app_ended || fail "Exit in the support window did not end the program"
    local code
    code=$(exit_code "$APP_PID")
    [ "$code" = 0 ] || fail "the program ended with exit code $code"
}

# centred WINDOW: its client area stands in the middle of the screen, to a pixel.
centred() {
    local screen window
    screen=$(xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
    window=$(xwininfo -id "$1" | awk '/Absolute upper-left X:/{x=$4} /Absolute upper-left Y:/{y=$4}
        /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    read -r sw sh <<<"$screen"
    read -r x y w h <<<"$window"
    [ $(((2 * x + w - sw) ** 2)) -le 1 ] && [ $(((2 * y + h - sh) ** 2)) -le 1 ]
}

# client_offset WINDOW: the menu bar's height above the 354-pixel client area.
client_offset() {
    xwininfo -id "$1" | awk '/Height:/{print $2 - 354}'
}

# close_with_alt_f4 WINDOW: the window manager's Alt+F4. Right after start-up
# openbox has been seen to miss a first press, so it is pressed again while
# the window stays open.
close_with_alt_f4() {
    local attempt
    window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
    for attempt in 1 2 3; do
        window_gone "$1" && return 0
        focus "$1"
        xdotool key alt+F4
        wait_until 3 window_gone "$1" && return 0
    done
    fail "Alt+F4 did not close window $1"
}
