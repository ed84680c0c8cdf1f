# Folders kept in the cache outside the tree, each named after a hash of
# everything that decides what it holds and made only once: the Debian 13
# root and the Qt for Windows. Sourced by debian13.sh and build-qt-windows.sh.
# Environment:
#   XDG_CACHE_HOME  the cache lives in $XDG_CACHE_HOME/zel-orvalis (~/.cache)
CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/zel-orvalis"

# cache_key: a short name for what standard input says decides a folder.
cache_key() { sha256sum | cut -c1-10; }

# cache_done FOLDER: the folder was made to the end.
cache_done() { [ -f "$1/.complete" ]; }

# cache_claim KIND FOLDER: one making of a KIND at a time: waits for any
# other, and holds the lock until the caller ends. Fails when FOLDER is done
# by then, so that the caller makes it only where it is not.
cache_claim() {
    mkdir -p "$CACHE"
    exec 8>"$CACHE/.$1.lock"
    if ! flock -n 8; then
        echo "Waiting while another process makes $2..." >&2
        flock 8
    fi
    ! cache_done "$2"
}

# cache_complete FOLDER [LINE...]: marks the folder made; its stamp keeps the
# lines, what it was made from. As root where the folder is root's.
cache_complete() {
    local folder=$1 sudo=""
    shift
    [ -O "$folder" ] || [ "$(id -u)" = 0 ] || sudo=sudo
    printf '%s\n' "$@" | $sudo tee "$folder/.complete" >/dev/null
}
