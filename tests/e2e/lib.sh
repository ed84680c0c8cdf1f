# Shared by the end-to-end tests on Linux and under Wine: checks of what the
# program shows and opens, over the session and program helpers. Source it.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/program.sh"

# yellow_pixels WINDOW X Y W H: how many pure-yellow pixels the user sees there.
yellow_pixels() {
    import -window "$1" "$E2E_TMP/shot.png" 2>/dev/null
    convert "$E2E_TMP/shot.png" -crop "$4x$5+$2+$3" +repage txt:- | grep -ci '#FFFF00' || true
}

# main_windows, notices: how many main windows and notices are on screen.
main_windows() { xdotool search --onlyvisible --name "^$ZEL_TITLE\$" 2>/dev/null | wc -l; }
notices() { xdotool search --onlyvisible --name "^$ZEL_APP_TITLE\$" 2>/dev/null | wc -l; }
none_shown() { [ "$(main_windows)" = 0 ] && [ "$(notices)" = 0 ]; }

# refused PID WHO: the start PID showed the notice and no main window, and
# ended once it was answered; WHO names it in a failure.
refused() {
    local box
    box=$(find_window "$ZEL_APP_TITLE") || fail "$2 showed no notice"
    [ "$(xdotool search --all --pid "$1" --name "$ZEL_TITLE" | wc -l)" = 0 ] \
        || fail "$2 opened a main window"
    focus "$box"
    xdotool key Return
    wait_until 10 gone "$1" || fail "$2 did not end"
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
lock_holder() { sh "$(dirname "${BASH_SOURCE[0]}")/../lock_holder.sh" "$1"; }

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
