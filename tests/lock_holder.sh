#!/bin/sh
# lock_holder.sh FILE: the process whose flock is on FILE, as the kernel lists
# it in /proc/locks ("1: FLOCK  ADVISORY  WRITE 4242 fe:00:1234 0 EOF"; a
# waiter's line has "->" there and is passed over); nothing when none is.
# The one reader of /proc/locks, for the unit and the end-to-end tests.
inode=$(stat -L -c %i "$1" 2>/dev/null) || exit 0
awk -v inode="$inode" '$2 == "FLOCK" { n = split($6, f, ":"); if (f[n] == inode) { print $5; exit } }' \
    /proc/locks
