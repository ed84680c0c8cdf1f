#!/bin/sh
# Installs the Debian/Ubuntu packages that building, running and testing need,
# and only those that are missing. Uses sudo when not run as root.
# Usage: install-deps.sh [PACKAGE...]   (the packages given, or make test's)
set -eu

packages="$*"
[ -n "$packages" ] || packages="cmake make g++ pkg-config clang-format
qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
fonts-dejavu-core
xvfb xauth openbox xdotool wmctrl x11-utils imagemagick
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
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086 # one word per package
$sudo apt-get install -y -q --no-install-recommends $missing
