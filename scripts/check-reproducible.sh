#!/bin/bash
# Builds the last commit twice and compares what a release ships, byte for
# byte: the .deb, the Windows program, its installer and its zip. Each build
# is made with the Makefile's own targets in a fresh clone of its own; the
# clones have differently named folders, and the second is made only once the
# first is built, minutes later, with another time zone and umask. Any
# difference fails the check, and diffoscope shows where it lies.
#
# Usage: check-reproducible.sh
# Committed sources only: what the working tree has uncommitted is not built.
# The clones lie in /tmp, which the Debian 13 root of the Windows build shares;
# they are removed when the builds agree and kept to look into when not.
set -Eeuo pipefail
trap 'echo "$0: line $LINENO failed: $BASH_COMMAND" >&2' ERR

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
# A report of what differs. diffoscope-minimal is all of diffoscope's own
# code; the full package adds only recommendations, which are not installed.
./scripts/install-deps.sh --reproducible

commit=$(git rev-parse HEAD)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "Note: the working tree has uncommitted changes; they are not part of the check." >&2
fi
# What a release ships, as found in each clone.
artifacts() {
    (cd "$1" && ls -d build/package/*.deb build-windows/deploy/zel-orvalis.exe \
        build-windows/package/*.exe build-windows/package/*.zip)
}

work=$(mktemp -d /tmp/zel-orvalis-reproducible.XXXXXX)
started=$SECONDS

# build NAME TZ UMASK: clones the commit into $work/NAME and builds a release
# there with the Makefile's defaults; the output goes to $work/NAME.log.
build() {
    local name=$1 dir=$work/$1
    echo "Building $commit in $dir (TZ=$2, umask $3)" >&2
    local from=$SECONDS
    if ! (
        umask "$3"
        export TZ="$2"
        # Each clone takes its time from its own commit, and the settings of
        # a make that runs this script reach neither build.
        unset SOURCE_DATE_EPOCH MAKEFLAGS MFLAGS MAKELEVEL \
            BUILD_DIR BUILD_TYPE CMAKE_FLAGS WIN_BUILD_DIR
        git clone --quiet --no-hardlinks "$repo" "$dir" &&
            git -C "$dir" checkout --quiet --detach "$commit" &&
            cd "$dir" &&
            make package CMAKE_FLAGS="-DZEL_BUILD_TESTS=OFF -DZEL_BUILD_BENCH=OFF" &&
            make package-windows
    ) >"$work/$name.log" 2>&1; then
        tail -n 40 "$work/$name.log" >&2
        echo "The build in $dir failed; its log is $work/$name.log" >&2
        exit 1
    fi
    echo "Built in $((SECONDS - from)) s" >&2
}
first="first"
second="second-build-elsewhere"
build "$first" UTC 022
build "$second" "<+14>-14" 002

failed=0
if [ "$(artifacts "$work/$first")" != "$(artifacts "$work/$second")" ]; then
    echo "The two builds made different files:" >&2
    diff <(artifacts "$work/$first") <(artifacts "$work/$second") >&2 || true
    failed=1
fi
while read -r artifact; do
    a=$work/$first/$artifact
    b=$work/$second/$artifact
    [ -f "$b" ] || continue
    sum_a=$(sha256sum <"$a" | cut -d' ' -f1)
    sum_b=$(sha256sum <"$b" | cut -d' ' -f1)
    if [ "$sum_a" = "$sum_b" ]; then
        echo "same       $sum_a  $artifact"
        continue
    fi
    failed=1
    echo "DIFFERENT  $sum_a  $artifact"
    echo "           $sum_b"
    report=$work/$(basename "$artifact").diffoscope.txt
    # diffoscope exits with 1 when the files differ, which is known by now.
    diffoscope --no-progress --text "$report" "$a" "$b" || true
    head -n 150 "$report"
    echo "(all of it in $report)"
done < <(artifacts "$work/$first")

echo "Two builds of $commit in $((SECONDS - started)) s"
if [ "$failed" -ne 0 ]; then
    echo "Not reproducible: the two builds are kept in $work" >&2
    exit 1
fi
rm -rf "$work"
echo "Reproducible: both builds gave the same four files."
