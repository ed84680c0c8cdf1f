# Shared by the stages of tests/windows/run.sh: what only the Windows build
# under Wine needs, over the end-to-end helpers. Source it.
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

PASSED=0
pass() {
    echo "PASS: $1"
    PASSED=$((PASSED + 1))
}

# type_accents: xdotool types a letter missing from the keyboard map by
# lending it a spare key for a moment, which Wine often misses, and Wine
# ignores keys its layout does not know. So "é" takes the place of "<>"
# beside the left Shift, a key of the layout that nothing here types, before
# any Windows program starts.
type_accents() {
    local lsgt
    lsgt=$(xmodmap -pke | awk '$4 == "less" && $5 == "greater" && !key { key = $2 } END { print key }')
    [ -n "$lsgt" ] && xmodmap -e "keycode $lsgt = eacute Eacute" || fail "no <> key to put é on"
}

# expect_opened_via_wine NAME...: as expect_opened_links; Wine's browser
# bridge parses each address as a URI and passes on its canonical form, which
# gives a bare host the path "/".
expect_opened_via_wine() {
    local name address addresses=()
    for name in "$@"; do
        address=$(fact "$name")
        case $address in
            *://*/*) addresses+=("$address") ;;
            *) addresses+=("$address/") ;;
        esac
    done
    expect_opened "${addresses[@]}"
}

clipboard_has() { timeout 2 xclip -o -selection clipboard 2>/dev/null | tr -d '\r' | grep -qF "$1"; }

# box_says BOX TEXT: the message box's text, as its Ctrl+C copies it, holds TEXT.
box_says() {
    focus "$1"
    xdotool key ctrl+c
    wait_until 5 clipboard_has "$2"
}

# box_up: a message box is on screen.
box_up() { [ "$(notices)" != 0 ]; }

# above WINDOW: it stays above others; on_top WINDOW: it is the topmost of
# all managed windows.
above() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
on_top() {
    local top
    top=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x' | tail -n1)
    [ "$((top))" = "$(($1))" ]
}
