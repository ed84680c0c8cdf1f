#!/bin/bash
# Gives apt a deb-src entry for every Debian or Ubuntu archive it already
# fetches binary packages from (one-line and deb822 sources alike), in files
# of its own, leaving the system's files as they are. build-qt-windows.sh
# needs it to fetch qt6-base's source.
set -Eeuo pipefail
trap 'echo "$0: line $LINENO failed: $BASH_COMMAND" >&2' ERR

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi

list=/etc/apt/sources.list.d/zel-orvalis-src.list
sources=/etc/apt/sources.list.d/zel-orvalis-src.sources
archive='/(debian|debian-security|ubuntu|ubuntu-ports)/?$'
files=()
[ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    case "$f" in "$list"|"$sources") continue ;; esac
    files+=("$f")
done

one_line=$(for f in "${files[@]}"; do
    case "$f" in *.list) cat "$f" ;; esac
done | awk -v archive="$archive" '
    /^[ \t]*deb[ \t]/ {
        rest = $0
        sub(/^[ \t]*deb[ \t]+/, "", rest)
        uri = rest
        if (uri ~ /^\[/) sub(/^\[[^]]*\][ \t]*/, "", uri)
        split(uri, words, /[ \t]+/)
        if (words[1] ~ archive) print "deb-src " rest
    }')

deb822=$(for f in "${files[@]}"; do
    case "$f" in *.sources) cat "$f"; echo ;; esac
done | awk -v archive="$archive" '
    function flush(   i, wanted, enabled, n, uris, j) {
        wanted = (types ~ /(^|[ \t])deb([ \t]|$)/ && types !~ /deb-src/)
        enabled = (tolower(enabledv) != "no")
        n = split(urisv, uris, /[ \t]+/)
        matched = 0
        for (j = 1; j <= n; j++) if (uris[j] ~ archive) matched = 1
        if (wanted && enabled && matched) {
            for (i = 1; i <= count; i++) {
                if (lines[i] ~ /^Types:/) print "Types: deb-src"
                else print lines[i]
            }
            print ""
        }
        count = 0; types = ""; urisv = ""; enabledv = ""
    }
    /^[ \t]*$/ { if (count) flush(); next }
    /^#/ { next }
    {
        lines[++count] = $0
        if ($0 ~ /^Types:/) { types = $0; sub(/^Types:[ \t]*/, "", types) }
        if ($0 ~ /^URIs:/) { urisv = $0; sub(/^URIs:[ \t]*/, "", urisv) }
        if ($0 ~ /^Enabled:/) { enabledv = $0; sub(/^Enabled:[ \t]*/, "", enabledv) }
    }
    END { if (count) flush() }')

if [ -z "$one_line$deb822" ]; then
    echo "No Debian or Ubuntu archive found in apt's sources to fetch qt6-base's source from" >&2
    exit 1
fi
if [ -n "$one_line" ]; then
    echo "Adding $list"
    { echo "# Source packages, for scripts/build-qt-windows.sh of Zel Orvalis"
      echo "$one_line"; } | $sudo tee "$list" >/dev/null
fi
if [ -n "$deb822" ]; then
    echo "Adding $sources"
    { echo "# Source packages, for scripts/build-qt-windows.sh of Zel Orvalis"
      echo "$deb822"; } | $sudo tee "$sources" >/dev/null
fi
