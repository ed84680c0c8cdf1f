#!/usr/bin/env bash
# The update reminder with a private settings folder: a first run stores
# today quietly; a date 20 days back brings the question before the main
# window, and Yes opens the download page and stores today. On a full disk,
# No stores nothing and the file stays whole (in a mount namespace of the
# test's own, where it can make a small disk: an ordinary user as root of a
# user namespace of its own).
own=-m
[ "$(id -u)" = 0 ] || own=-rm
if [ -z "${ZEL_IN_NAMESPACE:-}" ] && unshare "$own" true 2>/dev/null; then
    ZEL_IN_NAMESPACE=1 exec unshare "$own" --propagation private bash "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"
conf=$SETTINGS_FILE
today=$(date +%F)

start_x
record_links
start_app
win=$(find_window "$ZEL_TITLE") || fail "no main window on the first run"
grep -qx "Duration=$today" "$conf" || fail "the first run did not store today: $(cat "$conf")"
close_window "$win"
find_support "$win" || fail "no support window"
focus "$SUPPORT"
xdotool key alt+x
wait_until 10 app_ended || fail "the first run did not end"

sed -i "s/^Duration=.*/Duration=$(date -d '20 days ago' +%F)/" "$conf"
start_app
box=$(find_window "$ZEL_APP_TITLE") || fail "no reminder"
if xdotool search --onlyvisible --name "^$ZEL_TITLE\$" >/dev/null; then
    fail "the main window opened before the reminder was answered"
fi
focus "$box"
xdotool key Return
expect_opened_links ProductDownloadPage
grep -qx "Duration=$today" "$conf" || fail "Yes did not store today: $(cat "$conf")"
win=$(find_window "$ZEL_TITLE") || fail "no main window after the reminder"
quit "$win"

if [ -n "${ZEL_IN_NAMESPACE:-}" ]; then
    full="$E2E_TMP/full"
    mkdir "$full"
    mount -t tmpfs -o size=64k tmpfs "$full" || fail "no small disk could be made"
    trap 'umount -l "$full"; e2e_cleanup' EXIT
    mkdir "$full/Velmora"
    printf '[Other]\nk=1\n[Settings]\nDuration=%s\n' "$(date -d '20 days ago' +%F)" \
        >"$full/Velmora/Zel Orvalis.conf"
    before=$(md5sum <"$full/Velmora/Zel Orvalis.conf")
    dd if=/dev/zero of="$full/filler" bs=4k 2>/dev/null || : # until the disk is full
    start_app XDG_CONFIG_HOME="$full" QT_LOGGING_RULES="zel.settings=true"
    box=$(find_window "$ZEL_APP_TITLE") || fail "no reminder on a full disk"
    focus "$box"
    xdotool key Escape # No
    find_window "$ZEL_TITLE" >/dev/null || fail "no main window on a full disk"
    [ "$(md5sum <"$full/Velmora/Zel Orvalis.conf")" = "$before" ] \
        || fail "a full disk changed the settings file: $(cat "$full/Velmora/Zel Orvalis.conf")"
    grep -q "could not store" "$E2E_TMP/app.log" || fail "a full disk was not logged"
    [ "$(ls "$full/Velmora")" = "Zel Orvalis.conf" ] || fail "left on the full disk: $(ls "$full/Velmora")"
else
    echo "SKIP: a full disk (no mount namespace of its own could be made here)"
fi
echo "PASS: reminder"
