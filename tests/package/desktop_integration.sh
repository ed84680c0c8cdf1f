#!/usr/bin/env bash
# Install rules, desktop entry, AppStream metainfo and the .deb package.
# Usage: desktop_integration.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 id=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

expected_files() { # PREFIX
    echo "$1/bin/zel-orvalis"
    echo "$1/share/applications/$id.desktop"
    echo "$1/share/metainfo/$id.metainfo.xml"
    echo "$1/share/icons/hicolor/scalable/apps/$id.svg"
    for size in 16 22 24 32 48 64 128 256; do
        echo "$1/share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
    echo "$1/share/doc/zel-orvalis/copyright"
    echo "$1/share/doc/zel-orvalis/changelog.gz"
    echo "$1/share/man/man1/zel-orvalis.1.gz"
}

# Relocatable: any prefix, with or without DESTDIR.
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
DESTDIR="$tmp/staged" cmake --install "$build" --prefix /opt/zel >/dev/null
for file in $(expected_files "$tmp/prefix") $(expected_files "$tmp/staged/opt/zel"); do
    [ -f "$file" ] || fail "not installed: $file"
done
[ -x "$tmp/prefix/bin/zel-orvalis" ] || fail "the program is not executable"
for size in 16 32 256; do
    file "$tmp/prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "$size x $size" \
        || fail "the ${size}px icon has the wrong size"
done

desktop-file-validate "$tmp/prefix/share/applications/$id.desktop" || fail "desktop entry"
grep -qx "Icon=$id" "$tmp/prefix/share/applications/$id.desktop" || fail "desktop entry icon"
appstreamcli validate --no-net "$tmp/prefix/share/metainfo/$id.metainfo.xml" >"$tmp/as.log" 2>&1 \
    || { cat "$tmp/as.log"; fail "metainfo"; }
grep -q '<screenshot' "$tmp/prefix/share/metainfo/$id.metainfo.xml" || fail "no screenshot"

# The package: contents and dependencies.
cpack --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 \
    || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(ls "$tmp"/pkg/zel-orvalis_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/contents"
for file in $(expected_files /usr); do
    grep -qx "$file" "$tmp/contents" || fail "package lacks $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libqt6widgets6 libqt6gui6 libqt6core6 libc6 qt6-qpa-plugins fonts-dejavu-core; do
    case "$depends" in *"$dependency"*) ;; *) fail "Depends lacks $dependency: $depends" ;; esac
done

# Debian's own checks: copyright, changelog, description, section, manual page.
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 \
        || { cat "$tmp/lintian.log"; fail "lintian"; }
else
    echo "SKIP: lintian is not installed"
fi

# Install and remove it for real where we may (as root, as CI runs).
if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
    echo "SKIP: installing the package needs root"
    echo "PASS: desktop integration (without package install)"
    exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt-get remove -y -q zel-orvalis >/dev/null 2>&1 || true
cp "$deb" "$tmp/zel-orvalis.deb"
apt-get install -y -q --no-install-recommends "$tmp/zel-orvalis.deb" >"$tmp/apt.log" 2>&1 \
    || { cat "$tmp/apt.log"; fail "apt-get install"; }
[ "$(command -v zel-orvalis)" = /usr/bin/zel-orvalis ] || fail "zel-orvalis is not on the path"
for file in $(expected_files /usr); do
    [ -f "$file" ] || fail "installed package lacks $file"
done
# It starts and keeps running until stopped.
mkdir -p -m 700 "$tmp/run"
code=0
XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=offscreen \
    timeout 3 zel-orvalis >/dev/null 2>&1 || code=$?
[ "$code" = 124 ] || fail "the installed program ended by itself with $code"
apt-get remove -y -q zel-orvalis >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get remove"; }
for file in $(expected_files /usr); do
    [ ! -e "$file" ] || fail "left behind after removal: $file"
done

# The same package on Debian 13: it installs in the Debian 13 root that the
# Windows build uses, and its main window comes up on an X server there.
root=$(cd "$(dirname "$0")/../.." && pwd)
debian13="$root/scripts/debian13.sh"
"$debian13" --install "$tmp/zel-orvalis.deb" >"$tmp/debian13.log" 2>&1 \
    || { cat "$tmp/debian13.log"; fail "the package did not install on Debian 13"; }
# The root sees the project folder and /tmp, where the build folder may not be.
cp "$build/facts.txt" "$tmp/facts.txt"
code=0
(cd "$root" && "$debian13" env ZEL_BINARY=/usr/bin/zel-orvalis ZEL_FACTS="$tmp/facts.txt" \
    bash tests/package/main_window_shows.sh >"$tmp/shown.log" 2>&1) || { code=$?; cat "$tmp/shown.log"; }
"$debian13" --remove zel-orvalis >>"$tmp/debian13.log" 2>&1 \
    || { cat "$tmp/debian13.log"; fail "the package did not leave Debian 13"; }
[ "$code" = 0 ] || fail "the package installed on Debian 13 showed no main window"
echo "PASS: desktop integration and package, on this system and on Debian 13"
