#!/usr/bin/env bash
# Another local user cannot lock this one out: names squatted in the shared
# temporary folder change nothing, since the lock lives only in folders of
# the user's own that no one else may write to.
. "$(dirname "$0")/lib.sh"
if [ "$(id -u)" != 0 ] || ! command -v useradd >/dev/null || ! command -v runuser >/dev/null; then
    echo "SKIP: a second user can be made only by root with useradd and runuser"
    exit 77
fi
other="zelsquat$$"
useradd --system --no-create-home --shell /usr/sbin/nologin "$other" \
    || { echo "SKIP: useradd could not make a second user"; exit 77; }
trap 'userdel "$other" 2>/dev/null || true; e2e_cleanup' EXIT

shared="$E2E_TMP/tmp"
chmod 711 "$E2E_TMP" # the other user may pass through to the shared folder
mkdir -m 1777 "$shared"
export TMPDIR="$shared" XDG_CACHE_HOME="$E2E_TMP/cache"
unset XDG_RUNTIME_DIR
me=$(id -u)
runuser -u "$other" -- sh -c "
    mkdir -m 700 '$shared/runtime-$(id -un)'
    printf 'squatted\n' >'$shared/zel-orvalis-$me.lock'
    printf 'squatted\n' >'$shared/runtime-$(id -un)/zel-orvalis-$me.lock'
" || fail "the other user could not squat"

start_x
start_app
find_window "$ZEL_TITLE" >/dev/null || fail "no main window with the shared names squatted"
[ "$(xdotool search --onlyvisible --name '^Zel Orvalis$' | wc -l)" = 0 ] \
    || fail "the program refused to start"
lock=$(held_lock "$APP_PID") || fail "no instance lock"
[ "$(stat -c '%u %a' "${lock%/*}")" = "$me 700" ] || fail "the lock is in no private folder: $lock"
echo "PASS: another user cannot lock this one out"
