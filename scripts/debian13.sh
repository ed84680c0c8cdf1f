#!/bin/bash
# The Debian 13 root that the Windows side is built and tested in: its
# MinGW-w64 (GCC 14), its Qt host tools and qt6-base source (Qt 6.8 LTS) and
# its Wine 10, none of which Debian 12 has. The root is made once with
# mmdebstrap from the Debian archive apt already uses, and kept in the cache
# beside the Qt for Windows, in a folder named after everything that decides
# its contents.
#
# Usage: debian13.sh COMMAND [ARG...]   runs COMMAND in the root
#        debian13.sh --print-root       where the root is (or would be)
#        debian13.sh --install DEB      installs a .deb in the root (as root)
#        debian13.sh --remove PACKAGE   removes it again
# COMMAND runs as the calling user, in the current folder, with the caller's
# environment (less PATH, the locale and the loader's variables). The current
# folder, the cache (scripts/cache.sh) and /tmp are the same folders inside as
# outside. Entering needs root: as another user it goes through sudo, as
# install-deps.sh does.
set -Eeuo pipefail
trap 'echo "$0: line $LINENO failed: $BASH_COMMAND" >&2' ERR

here=$(cd "$(dirname "$0")" && pwd)
. "$here/cache.sh"
[ "$#" -gt 0 ] || { echo "usage: $0 COMMAND [ARG...] | --print-root" >&2; exit 2; }

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi

suite=trixie
# Building Qt and the program for Windows, the installer, and the tests under
# Wine on a private X server; then what the Linux package needs to run.
packages="g++-mingw-w64-x86-64-posix cmake ninja-build make nsis dpkg-dev xz-utils patch perl
qt6-base-dev qt6-base-dev-tools file
wine wine64 xvfb xauth openbox xdotool wmctrl x11-utils x11-xserver-utils imagemagick
unzip xclip procps fonts-dejavu-core
libqt6widgets6 qt6-qpa-plugins"

# The archive apt uses already, when it is Debian's; Debian's own otherwise.
mirror=$(apt-get indextargets --format '$(REPO_URI)' 2>/dev/null \
    | grep -E '/debian/$' | head -n1 || true)
mirror=${mirror:-http://deb.debian.org/debian/}
mirror=${mirror%/}
security=${mirror%/debian}/debian-security
sources=()
for type in deb deb-src; do
    sources+=("$type $mirror $suite main" "$type $mirror $suite-updates main"
        "$type $security $suite-security main")
done

key=$( {
    echo "$suite"
    printf '%s\n' "${sources[@]}"
    echo $packages
} | cache_key)
root="$CACHE/debian-13-$key"

if [ "$1" = --print-root ]; then
    echo "$root"
    exit 0
fi

make_root() {
    "$here/install-deps.sh" --windows
    cache_claim debian-13 "$root" || return 0
    # Roots made for other package lists are of no more use.
    local old
    for old in "$CACHE"/debian-13-*; do
        [ -d "$old" ] && $sudo rm -rf --one-file-system "$old"
    done
    echo "Making the Debian 13 root in $root" >&2
    local started=$SECONDS
    # The package lists stay, so that apt can fetch qt6-base's source inside.
    $sudo mmdebstrap --variant=apt --mode=root --skip=cleanup/apt/lists \
        --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
        --include="$(echo $packages | tr ' ' ',')" \
        "$suite" "$root" "${sources[@]}" >&2
    $sudo cp /etc/resolv.conf "$root/etc/resolv.conf"
    cache_complete "$root"
    echo "Made in $((SECONDS - started)) s" >&2
}
cache_done "$root" || make_root

# The caller, known by name inside as outside (Wine and the tests ask).
user=$(id -un)
if ! grep -q "^$user:" "$root/etc/passwd"; then
    getent passwd "$(id -u)" | $sudo tee -a "$root/etc/passwd" >/dev/null
    getent group "$(id -g)" | $sudo tee -a "$root/etc/group" >/dev/null || true
fi
# A home of the caller's own there, down to the cache that is bound into it.
home_dirs=("$HOME")
case $CACHE in "$HOME"/*/*) home_dirs+=("$(dirname "$CACHE")") ;; esac
for dir in "${home_dirs[@]}"; do
    [ -O "$root$dir" ] || $sudo install -d -o "$(id -u)" -g "$(id -g)" "$root$dir"
done

# Run as root inside: installing and removing packages.
as_root=false
case "$1" in
    --install)
        as_root=true
        set -- sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$1" >&2' sh "$2"
        ;;
    --remove)
        as_root=true
        set -- sh -c 'DEBIAN_FRONTEND=noninteractive apt-get purge -y -q "$1" >&2' sh "$2"
        ;;
esac

# The caller's environment, but for what would make the root's programs load
# the host's files.
vars=()
while IFS= read -r -d '' pair; do
    case "${pair%%=*}" in
        PATH | LD_* | BASH_FUNC_* | SUDO_* | LANG | LANGUAGE | LC_*) ;;
        *) vars+=("$pair") ;;
    esac
done < <(env -0)
# The root has no locales but the one built into its C library.
vars+=(PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8)

userspec=()
$as_root || userspec=(--userspec="$(id -u):$(id -g)" --groups="$(id -G | tr ' ' ',')")
dirs=(/tmp "$CACHE" "$PWD")
# A private mount namespace: the binds end with the command, whatever happens.
# shellcheck disable=SC2016 # expanded by the inner shell
exec $sudo unshare --mount --propagation private -- /bin/sh -c '
    root=$1 n=$2
    shift 2
    mount --bind /proc "$root/proc"
    mount --bind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    i=0
    while [ "$i" -lt "$n" ]; do
        mkdir -p "$root$1"
        mount --bind "$1" "$root$1"
        shift
        i=$((i + 1))
    done
    exec chroot "$@"
' sh "$root" "${#dirs[@]}" "${dirs[@]}" "${userspec[@]}" "$root" \
    /usr/bin/env -i "${vars[@]}" /bin/sh -c 'cd "$1" && shift && exec "$@"' sh "$PWD" "$@"
