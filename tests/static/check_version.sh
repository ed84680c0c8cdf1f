#!/bin/sh
# Files that must hold the version as text name the project's version: the
# newest AppStream release, the newest Debian changelog entry, the manual page.
set -eu
cd "$(dirname "$0")/../.."
version=$1
check() { # WHAT FOUND
    [ "$2" = "$version" ] || { echo "FAIL: $1 says '$2', the project is $version" >&2; exit 1; }
}
check "the newest AppStream release" \
    "$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' assets/zel-orvalis.metainfo.xml.in | head -n1)"
check "the Debian changelog" "$(sed -n '1s/^zel-orvalis (\([^)]*\)).*/\1/p' packaging/deb/changelog)"
check "the manual page" "$(sed -n '1s/.*"Zel Orvalis \([^"]*\)".*/\1/p' packaging/deb/zel-orvalis.1)"
echo "PASS: version $version everywhere"
