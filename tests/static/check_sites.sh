#!/bin/sh
# The configure step takes a well-formed site base and refuses any other.
set -u
cd "$(dirname "$0")/../.."
status=0
check() { # EXPECTED BASE: "ok" or "refused" for each base in turn as the maker's site
    if cmake -DZEL_MAKER_SITE_BASE="$2" -DZEL_HELP_SITE_BASE=http://h.example \
        -DZEL_PRODUCT_SITE_BASE=http://p.example -DZEL_HOME_PAGE=http://home.example \
        -P links/check_sites.cmake >/dev/null 2>&1; then got=ok; else got=refused; fi
    [ "$got" = "$1" ] || { echo "FAIL: '$2' was $got"; status=1; }
}
check ok http://www.velmora.example
check ok https://www.example.org:8080
check refused http://www.velmora.example/
check refused www.velmora.example
check refused "http://www.velmora .example"
check refused "http://www.velmorä.example"
check refused ""
[ "$status" = 0 ] && echo "PASS: site checks"
exit "$status"
