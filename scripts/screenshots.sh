#!/usr/bin/env bash
# Renders every window under a private X server into docs/: the update
# reminder, the main window asking and reading, the About window and the
# support window; then the same at a scale factor of 2 into docs/2x/.
# With --windows, the Windows build under Wine, at 96 and 192 DPI, into
# docs/windows/ and docs/windows/2x/.
# Usage: scripts/screenshots.sh [--windows] path/to/zel-orvalis[.exe]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
windows=false
if [ "$1" = --windows ]; then
    windows=true
    shift
fi
binary=$(realpath "$1")
# The build's facts.txt sits above bin/ (Linux) or deploy/ (Windows).
export ZEL_FACTS
ZEL_FACTS=$(dirname "$(dirname "$binary")")/facts.txt
docs="$root/docs"
$windows && docs="$root/docs/windows"

shoot() { # OUTPUT_DIR SCALE
    local out=$1 scale=$2
    mkdir -p "$out"
    (
        ZEL_BINARY=$binary
        E2E_SCREEN=$((1024 * scale))x$((768 * scale))x24
        . "$root/scripts/program.sh"
        export QT_SCALE_FACTOR=$scale # Wine passes no QT_ variable on: it scales by DPI
        record_links # nothing leaves the machine
        start_x
        if $windows; then start_wine $((96 * scale)); fi
        store_duration "$(date -d '30 days ago' +%F)"
        start_app
        box=$(find_window "$ZEL_APP_TITLE") || fail "no reminder"
        focus "$box"
        import -frame -window "$box" "$out/reminder.png"
        xdotool key alt+n

        win=$(find_window "$ZEL_TITLE") || fail "no main window"
        focus "$win"
        xdotool type --delay 10 "Will my journey go well?"
        import -frame -window "$win" "$out/main-asking.png"
        xdotool key alt+o
        sleep 0.5
        import -frame -window "$win" "$out/main-reading.png"

        xdotool key alt+h a
        find_about "$win"
        sleep 0.3
        import -frame -window "$ABOUT" "$out/about.png"
        xdotool key Escape

        close_window "$win"
        find_support "$win" || fail "no support window"
        focus "$SUPPORT"
        sleep 0.3
        import -frame -window "$SUPPORT" "$out/support.png"
        xdotool key alt+x
        wait_until 10 app_ended || fail "the program did not end"
    )
}

shoot "$docs" 1
shoot "$docs/2x" 2
echo "screenshots written to $docs and $docs/2x"
