#!/bin/sh
# Installs the Debian/Ubuntu packages that building, running and testing need,
# and only those that are missing. Uses sudo when not run as root.
# Usage: install-deps.sh [PACKAGE...]   (the packages given, or make test's)
set -eu

packages="$*"
[ -n "$packages" ] || packages="cmake make g++ pkg-config clang-format
qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-qpa-plugins libgl-dev
fonts-dejavu-core
xvfb xauth openbox xdotool wmctrl x11-utils x11-xserver-utils imagemagick
orca at-spi2-core dbus-x11 python3-pyatspi
desktop-file-utils appstream dpkg-dev lintian file g++-mingw-w64-x86-64-posix libxcb1-dev"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
# No questions while installing; sudo clears the environment, so the setting
# goes on its command line, through env.
if [ "$(id -u)" -eq 0 ]; then
    sudo="env DEBIAN_FRONTEND=noninteractive"
else
    sudo="sudo env DEBIAN_FRONTEND=noninteractive"
fi
# On a freshly booted machine the automatic updates can hold the package
# manager for minutes: wait for them (apt names the process it waits for)
# rather than fail.
wait_for_lock="-o DPkg::Lock::Timeout=600"
echo "(waiting up to 10 minutes for any other package manager to finish)"
# shellcheck disable=SC2086 # one word per option and package
$sudo apt-get $wait_for_lock update -q
# shellcheck disable=SC2086
$sudo apt-get $wait_for_lock install -y -q --no-install-recommends $missing
