#!/bin/bash
# Builds Qt for 64-bit Windows (MinGW-w64, shared DLLs) from Debian's own
# qt6-base source package, the same version as the installed qt6-base-dev
# whose moc, rcc and uic it uses as host tools. Only Core, Gui, Widgets and
# Test, with the windows, offscreen and minimal platform plugins and the
# windowsvista style. It runs in the Debian 13 root (scripts/debian13.sh),
# whose qt6-base is Qt 6.8 LTS and whose MinGW-w64 is GCC 14:
#   scripts/debian13.sh scripts/build-qt-windows.sh
#
# The result goes to the cache outside the tree (scripts/cache.sh), one
# folder per Qt version, compiler and set of options, and is built only once:
# when it is already complete this does nothing.
#
# Usage: build-qt-windows.sh [PREFIX_FILE]
#   PREFIX_FILE  where to write that Qt's folder, for the build to take
# Environment:
#   JOBS            parallel build jobs (default: nproc)
#   KEEP_BUILD=1    keep the unpacked source and build folder after install
set -Eeuo pipefail
# A failure deep into the build names the line it happened on.
trap 'echo "$0: line $LINENO failed: $BASH_COMMAND" >&2' ERR

here=$(cd "$(dirname "$0")" && pwd)
patch_file="$here/qt-windows/dynamicgl-needs-opengl.patch"
toolchain_file="$here/qt-windows/mingw-w64.cmake"
. "$here/cache.sh"

case "${1:-}" in
    -h|--help) sed -n '2,/^set -E/{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    -*) echo "usage: $0 [PREFIX_FILE]" >&2; exit 2 ;;
esac
# handed_over: the prefix goes where the caller asked.
handed_over() {
    [ -z "${1:-}" ] || { mkdir -p "$(dirname "$1")" && echo "$prefix" >"$1"; }
}

compiler=g++-mingw-w64-x86-64-posix

# The Debian version of the host Qt: the Windows Qt is built from the very
# same source, so that the host's moc and rcc match it.
host_qt_version() {
    local v
    v=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
    if [ -z "$v" ]; then
        v=$(apt-cache policy qt6-base-dev 2>/dev/null | awk '/Candidate:/ { print $2 }')
    fi
    if [ -z "$v" ] || [ "$v" = "(none)" ]; then
        echo "qt6-base-dev is neither installed nor known to apt" >&2
        exit 1
    fi
    echo "${v#*:}"
}

deb_version=$(host_qt_version)        # e.g. 6.8.2+dfsg-9+deb13u2
orig_version=${deb_version%-*}        # e.g. 6.8.2+dfsg
qt_version=${orig_version%%[+~]*}     # e.g. 6.8.2

# Everything that decides what gets built; its hash names the prefix.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    # Modules the program does not use.
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_opengl=OFF
    -DFEATURE_vulkan=OFF
    # Debian's source leaves out the Wacom header that tablet support needs.
    -DFEATURE_tabletevent=OFF
    # Not the Direct2D platform plugin; Direct2D itself stays, as Qt Gui's
    # DirectWrite font database is only built with it.
    -DFEATURE_direct2d1_1=OFF
    # Debian's sources turn this on for cross builds; no use on Windows.
    -DFEATURE_androiddeployqt=OFF
    # The program's images are PNG, which Qt Gui reads itself.
    -DFEATURE_gif=OFF
    -DFEATURE_ico=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF
    # Qt's built-in MIME database is GPL data, and the program asks Qt for
    # no MIME type.
    -DFEATURE_mimetype_database=OFF
    # Nor does it read or write Markdown or ODF, show an animation, sit in
    # the notification area or take part in a session.
    -DFEATURE_textmarkdownreader=OFF
    -DFEATURE_textmarkdownwriter=OFF
    -DFEATURE_textodfwriter=OFF
    -DFEATURE_movie=OFF
    -DFEATURE_systemtrayicon=OFF
    -DFEATURE_sessionmanager=OFF
    # Qt's bundled copies, so that only Windows' own DLLs are needed.
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
)

# Installed stripped: the DLLs are what the Windows package ships.
install_options=(--strip)

key=$( {
    echo "$deb_version"
    dpkg-query -W -f='${Version}\n' "$compiler"
    printf '%s\n' "${install_options[@]}"
    printf '%s\n' "${options[@]}"
    cat "$patch_file" "$toolchain_file"
} | cache_key)

name="qt-$qt_version-mingw-shared-$key"
prefix="$CACHE/$name"
# One build at a time; a second caller waits and then finds it done.
if cache_done "$prefix" || ! cache_claim qt-windows "$prefix"; then
    handed_over "${1:-}"
    exit 0
fi

# The root's apt has deb-src lines and keeps its package lists.
have_source() {
    # grep reads to the end: with -q it could leave apt-cache writing into a
    # closed pipe, and pipefail would count that as no source.
    apt-cache showsrc --only-source qt6-base 2>/dev/null | grep -x "Version: $deb_version" >/dev/null
}

# The files a .dsc lists, next to it.
dsc_complete() {
    local dsc=$1 dir file
    [ -f "$dsc" ] || return 1
    dir=$(dirname "$dsc")
    while read -r file; do
        [ -f "$dir/$file" ] || return 1
    done < <(awk '/^Files:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF == 3 { print $3 }' "$dsc")
}

downloads="$CACHE/downloads/qt6-base_$deb_version"
dsc="$downloads/qt6-base_$deb_version.dsc"
if ! dsc_complete "$dsc"; then
    # A mirror caught between updates can list the binary packages before
    # their source: read the lists again once, where this user may.
    if ! have_source && [ "$(id -u)" = 0 ]; then
        apt-get update -q >&2 || true
    fi
    if ! have_source; then
        echo "apt offers no source of qt6-base $deb_version; a root made before the" \
            "archive moved on can be removed, and is then made anew:" \
            "$CACHE/debian-13-*" >&2
        exit 1
    fi
    mkdir -p "$downloads"
    (cd "$downloads" && apt-get source --download-only -q "qt6-base=$deb_version")
fi

work="$CACHE/work/$name"
src="$work/src"
build="$work/build"
rm -rf "$work" "$prefix"
mkdir -p "$work"

echo "Unpacking qt6-base $deb_version"
dpkg-source --no-copy -x "$dsc" "$src" >/dev/null
(cd "$src" && patch -p1 --forward --quiet < "$patch_file")

# qt-cmake's toolchain loads this one by its path, so the prefix keeps a copy.
mkdir -p "$prefix"
cp "$toolchain_file" "$prefix/mingw-w64.cmake"

echo "Configuring Qt $qt_version for Windows into $prefix"
cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    "${options[@]}"

started=$(date +%s)
cmake --build "$build" --parallel "${JOBS:-$(nproc)}"
cmake --install "$build" "${install_options[@]}"
echo "Built in $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s"

if [ "${KEEP_BUILD:-0}" != 1 ]; then
    rm -rf "$work"
    rmdir "$CACHE/work" 2>/dev/null || true
fi
cache_complete "$prefix" "qt6-base $deb_version" "${options[@]}" "${install_options[@]}"
handed_over "${1:-}"
