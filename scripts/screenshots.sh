#!/usr/bin/env bash
# Renders the main window, asking and reading, into docs/ under a private X server.
# Usage: scripts/screenshots.sh path/to/zel-orvalis
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ZEL_BINARY=$(realpath "$1")
. "$root/tests/e2e/lib.sh"
mkdir -p "$root/docs"
start_x
start_app
win=$(find_window "Zel Orvalis v1.0") || fail "no main window"
xdotool windowactivate --sync "$win"
sleep 0.3
import -frame -window "$win" "$root/docs/main-asking.png"
xdotool type --delay 10 "What does the year hold for me?"
xdotool key alt+o
sleep 0.5
import -frame -window "$win" "$root/docs/main-reading.png"
echo "screenshots written to $root/docs"
