#!/usr/bin/env bash
# The program installed from the package shows its main window on a private
# X server. Run where it is installed, with ZEL_BINARY and ZEL_FACTS set.
. "$(dirname "$0")/../../scripts/program.sh"
start_x
start_app
find_window "$ZEL_TITLE" >/dev/null || fail "no main window"
echo "PASS: the installed program's main window"
