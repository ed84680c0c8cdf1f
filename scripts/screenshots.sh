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

# A private Wine prefix at the given scale, its reminder due; the program
# then runs through a wrapper, as any other binary.
wine_setup() { # SCALE DATE
    export WINEPREFIX="$E2E_TMP/wine" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * $1)) /f \
        >/dev/null 2>&1
    # Wine 10 reads the DPI once, as its session starts: a new one takes it.
    wineserver -k
    wineserver -w
    wine reg add 'HKCU\Software\Velmora\Zel Orvalis\Settings' /v Duration /d "$2" /f \
        >/dev/null 2>&1
    printf '#!/bin/sh\nexec wine "%s"\n' "$binary" >"$E2E_TMP/zel-orvalis"
    chmod +x "$E2E_TMP/zel-orvalis"
    ZEL_BINARY="$E2E_TMP/zel-orvalis"
}

shoot() { # OUTPUT_DIR SCALE
    local out=$1 scale=$2
    mkdir -p "$out"
    (
        ZEL_BINARY=$binary
        E2E_SCREEN=$((1024 * scale))x$((768 * scale))x24
        . "$root/scripts/xsession.sh"
        export QT_SCALE_FACTOR=$scale # Wine passes no QT_ variable on: it scales by DPI
        due=$(date -d '30 days ago' +%F)
        record_links # nothing leaves the machine
        start_x
        if $windows; then
            wine_setup "$scale" "$due"
        else
            mkdir -p "$XDG_CONFIG_HOME/Velmora"
            printf '[Settings]\nDuration=%s\n' "$due" >"$XDG_CONFIG_HOME/Velmora/Zel Orvalis.conf"
        fi
        start_app
        box=$(find_window "Zel Orvalis") || fail "no reminder"
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
        find_support || fail "no support window"
        focus "$SUPPORT"
        sleep 0.3
        import -frame -window "$SUPPORT" "$out/support.png"
        xdotool key alt+x
        wait_until 10 app_ended || fail "the program did not end"
        if $windows; then wineserver -k; fi
    )
}

shoot "$docs" 1
shoot "$docs/2x" 2
echo "screenshots written to $docs and $docs/2x"
