#!/usr/bin/env bash
# Renders every window under a private X server into docs/: the update
# reminder, the main window asking and reading, the About window and the
# support window; then the same at a scale factor of 2 into docs/2x/.
# Usage: scripts/screenshots.sh path/to/zel-orvalis
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
binary=$(realpath "$1")

shoot() { # OUTPUT_DIR SCALE
    local out=$1 scale=$2
    mkdir -p "$out"
    (
        ZEL_BINARY=$binary
        E2E_SCREEN=$((1024 * scale))x$((768 * scale))x24
        . "$root/scripts/xsession.sh"
        export QT_SCALE_FACTOR=$scale
        mkdir -p "$XDG_CONFIG_HOME/Velmora"
        printf '[Settings]\nDuration=%s\n' "$(date -d '30 days ago' +%F)" \
            >"$XDG_CONFIG_HOME/Velmora/Zel Orvalis.conf"
        record_links # nothing leaves the machine
        start_x
        start_app
        box=$(find_window "Zel Orvalis") || fail "no reminder"
        focus "$box"
        import -frame -window "$box" "$out/reminder.png"
        xdotool key alt+n

        win=$(find_window "Zel Orvalis v1.0") || fail "no main window"
        focus "$win"
        xdotool type --delay 10 "Will my journey go well?"
        import -frame -window "$win" "$out/main-asking.png"
        xdotool key alt+o
        sleep 0.5
        import -frame -window "$win" "$out/main-reading.png"

        xdotool key alt+h a
        other() {
            about=$(xdotool search --onlyvisible --name '^Zel Orvalis v1.0$' | grep -vx "$win" | head -n1)
            [ -n "$about" ] && managed "$about"
        }
        wait_until 10 other || fail "no About window"
        sleep 0.3
        import -frame -window "$about" "$out/about.png"
        xdotool key Escape

        close_window "$win"
        find_support || fail "no support window"
        focus "$SUPPORT"
        sleep 0.3
        import -frame -window "$SUPPORT" "$out/support.png"
        xdotool key alt+x
        wait_until 10 app_ended || fail "the program did not end"
    )
}

shoot "$root/docs" 1
shoot "$root/docs/2x" 2
echo "screenshots written to $root/docs and $root/docs/2x"
