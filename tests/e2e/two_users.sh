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
trap 'e2e_cleanup; pkill -9 -u "$other" || true; userdel "$other" 2>/dev/null || true' EXIT

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
[ "$(notices)" = 0 ] \
    || fail "the program refused to start"
lock=$(held_lock "$APP_PID") || fail "no instance lock"
[ "$(stat -c '%u %a' "${lock%/*}")" = "$me 700" ] || fail "the lock is in no private folder: $lock"
kill -9 "$APP_PID"
wait_until 10 app_ended

# The other user's own start, under the tightest umask: its lock folder is
# made under the home the system records for it, private to it, and every
# folder made on the way stays the user's to write to. A start of the same
# user in a user namespace of its own, where it is root, is that user still.
program="$E2E_TMP/zel-orvalis"
install -m 755 "$ZEL_BINARY" "$program"
home="$E2E_TMP/home"
mkdir -m 755 "$home" && chown "$other" "$home" && usermod -d "$home" "$other" \
    || fail "could not give the other user a home"
as_other() {
    runuser -u "$other" -- sh -c 'umask 0277 && exec "$@"' - "$@" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=("$APP_PID")
}
as_other env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME HOME=/nonexistent "$program"
find_window "$ZEL_TITLE" >/dev/null || fail "no main window for the other user"
made=$(find "$home" -type d ! -path "$home" -printf '%u %m\n' | sort -u)
[ "$made" = "$other 700" ] || fail "the other user's folders: $(find "$home" -printf '%p %u %m\n')"
[ -d "$home/.local/state/zel-orvalis" ] || fail "no lock folder in the other user's state"
if runuser -u "$other" -- unshare -r true 2>/dev/null; then
    as_other unshare -r env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME HOME=/nonexistent "$program"
    refused "$APP_PID" "a start of the other user's in a user namespace"
fi
pkill -9 -u "$other" -x zel-orvalis || true

# A relative home in the system's record (which usermod refuses to write, so
# it is written here) is no place for a lock: nothing is made in the working
# folder.
sed -i "s|^\($other:[^:]*:[^:]*:[^:]*:[^:]*\):[^:]*:|\1:.:|" /etc/passwd
[ "$(getent passwd "$other" | cut -d: -f6)" = . ] || fail "could not give the other user a relative home"
work="$E2E_TMP/work"
mkdir -m 755 "$work" && chown "$other" "$work"
(cd "$work" && exec setpriv --reuid="$other" --regid="$other" --clear-groups \
    env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME HOME=/nonexistent "$program") >>"$E2E_TMP/app.log" 2>&1 &
E2E_PIDS+=($!)
find_window "$ZEL_TITLE" >/dev/null || fail "no main window for a user with a relative home"
[ -z "$(ls -A "$work")" ] || fail "made in the working folder: $(ls -A "$work")"
pkill -9 -u "$other" -x zel-orvalis || true

# A user the system has no entry for (a container's), with no home at all,
# still gets a window, and only one: a second start shows the notice.
nobody() {
    setpriv --reuid=54321 --regid=54321 --clear-groups env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME \
        HOME=/nonexistent "$program" >>"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=("$APP_PID")
}
nobody
find_window "$ZEL_TITLE" >/dev/null || fail "no main window for a user with no entry"
nobody
refused "$APP_PID" "a second start of a user with no entry"
echo "PASS: another user cannot lock this one out"
