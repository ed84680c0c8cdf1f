#!/bin/sh
# CTest's emulator for the unit tests built for Windows: each runs under Wine,
# off screen, beside the Qt it was built with and the MinGW runtime, with
# DejaVu to draw with (as on Linux, so that texts measure the same). Qt Test
# writes to the debugger there, so its report goes through a file to stdout.
# One test at a time (RUN_SERIAL): the prefix has one registry.
# Usage: wine_test.sh QT_PREFIX TEST.exe [ARGUMENT...]
set -u
qt=$1 test=$2
shift 2
path=$(winepath -w "$qt/bin")
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
    path="$path;$(winepath -w "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")"
done
path="$path;$(winepath -w /usr/x86_64-w64-mingw32/lib)"
# Wine hands a program none of the QT_ variables of the Unix environment: they
# go in the prefix's own, for this test alone.
qt_env() { # NAME [VALUE]
    if [ "$#" = 2 ]; then
        wine reg add 'HKCU\Environment' /v "$1" /d "$2" /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Environment' /v "$1" /f >/dev/null 2>&1 || true
    fi
}
report=$(mktemp --suffix=.txt)
trap 'rm -f "$report"; qt_env QT_QPA_PLATFORM; qt_env QT_PLUGIN_PATH; qt_env QT_QPA_FONTDIR' EXIT
qt_env QT_QPA_PLATFORM offscreen
qt_env QT_PLUGIN_PATH "$(winepath -w "$qt/plugins")"
qt_env QT_QPA_FONTDIR "$(winepath -w /usr/share/fonts/truetype/dejavu)"
code=0
cd "$(dirname "$test")" || exit 1
WINEPATH=$path wine "$test" "$@" -o "$(winepath -w "$report"),txt" >/dev/null 2>&1 || code=$?
cat "$report"
exit "$code"
