#!/usr/bin/env bash
# The Windows build under Wine, in a private Wine prefix on a private X
# server, one stage after another: the toolchain it was built with, the unit
# tests, the deployment folder's program end to end (the reminder against
# the registry, every link, the referral, the support window, a second
# instance), what a screen reader reads through UI Automation, the installer
# and its uninstaller, and the portable zip. Stops at the first failure with
# a FAIL line and a screenshot.
# Usage: tests/windows/run.sh BUILD_DIR TEST_BUILD_DIR [STAGE...]
#   BUILD_DIR       has deploy/, package/ (make package-windows) and qt-prefix
#   TEST_BUILD_DIR  has bin/tst_*.exe (the unit tests built for Windows),
#                   bin/uia_client.exe and bin/hold_mutex.exe
#   STAGE           only these stages (the file names here), in this order
# Runs in the Debian 13 root, for its Wine 10 (scripts/debian13.sh).
set -euo pipefail
[ "$#" -ge 2 ] || { echo "usage: $0 BUILD_DIR TEST_BUILD_DIR [STAGE...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
tests=$(realpath "$2")
shift 2
stages=("$@")
[ "${#stages[@]}" -gt 0 ] || stages=(toolchain unit_tests reminder links support screen_reader
    installer portable)

packages="wine wine64 xvfb xauth openbox xdotool wmctrl x11-utils x11-xserver-utils imagemagick
unzip xclip fonts-dejavu-core"
# shellcheck disable=SC2086 # one word per package
"$here/../../scripts/install-deps.sh" $packages

# The Qt the build was made with, and what the build shows and opens.
qt=$(cat "$build/qt-prefix")
export ZEL_FACTS="$build/facts.txt" ZEL_BINARY="$build/deploy/zel-orvalis.exe"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -f "$ZEL_FACTS" ] && [ -n "$version" ] && [ -d "$qt" ] \
    || { echo "FAIL: $build has no facts.txt, qt-prefix or CMakeCache.txt with a version" >&2; exit 1; }
export E2E_FAILSHOT=${E2E_FAILSHOT:-/tmp/zel-windows-failure.png}
. "$here/lib.sh"

# The closing line comes last whatever happens.
finish() {
    local status=$?
    [ "$status" = 0 ] || echo "$PASSED passed, 1 failed"
    e2e_cleanup
}
trap finish EXIT

start_x
type_accents
record_links # nothing leaves the machine, not even from a unit test
start_wine
for stage in "${stages[@]}"; do
    [ -f "$here/$stage.sh" ] || fail "no stage $stage"
    . "$here/$stage.sh"
    "$stage"
done
echo "$PASSED passed, 0 failed"
