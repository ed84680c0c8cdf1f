#!/bin/sh
# Installs the Debian/Ubuntu packages of one or more purposes, and only those
# that are missing. Uses sudo when not run as root. Every list of what the
# host needs is here, one per purpose; the Windows tools themselves live in
# the Debian 13 root, whose list is scripts/debian13.sh's.
#
# Usage: install-deps.sh [--build] [--package] [--test] [--windows]
#                        [--reproducible] [PACKAGE...]
#   --build         building and running the program: make build, make run,
#                   make install
#   --package       make package, added to --build: CPack's .deb, which
#                   needs dpkg-shlibdeps and file
#   --test          make test, added to --build and --package (and make bench
#                   and make screenshots, which use the same X session): Qt's
#                   private headers for the unit tests, the format check, the
#                   X server, window manager and tools the end-to-end tests
#                   drive, the screen reader, the packaging checks, the
#                   cross compiler of the Windows compile check, and the xcb
#                   that make bench's start-up timer needs
#   --windows       what the Windows targets need on the host: mmdebstrap to
#                   make the Debian 13 root, and strip-nondeterminism for the
#                   zip
#   --reproducible  make check-reproducible: diffoscope to show a difference
#   PACKAGE         any other package, by name
set -eu

build="cmake make g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
fonts-dejavu-core"
package="dpkg-dev file"
test="qt6-base-private-dev clang-format
xvfb xauth openbox xdotool wmctrl x11-utils x11-xserver-utils imagemagick
orca at-spi2-core dbus-x11 python3-pyatspi
desktop-file-utils appstream lintian g++-mingw-w64-x86-64-posix
pkg-config libxcb1-dev"
windows="mmdebstrap debian-archive-keyring strip-nondeterminism"
reproducible="diffoscope-minimal"

packages=""
for argument in "$@"; do
    case $argument in
        --build) packages="$packages $build" ;;
        --package) packages="$packages $package" ;;
        --test) packages="$packages $test" ;;
        --windows) packages="$packages $windows" ;;
        --reproducible) packages="$packages $reproducible" ;;
        -*) echo "$0: unknown purpose $argument" >&2; exit 2 ;;
        *) packages="$packages $argument" ;;
    esac
done
[ -n "$packages" ] || { echo "usage: $0 --build|--package|--test|--windows|--reproducible|PACKAGE..." >&2; exit 2; }

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
