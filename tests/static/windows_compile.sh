#!/bin/sh
# The Windows-only units compile for Windows: a cross compiler checks them.
# They take Qt's headers (the host's, which hold Windows' branches too, but
# declare some functions twice with and without dllimport: not ours to mind).
# Usage: windows_compile.sh UNITS_FILE   (the build's windows_units.txt)
set -eu
units=$1
cd "$(dirname "$0")/../.."
[ -s "$units" ] || { echo "FAIL: $units lists no Windows units" >&2; exit 1; }
compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null || compiler=x86_64-w64-mingw32-g++
qt=$(qtpaths6 --query QT_INSTALL_HEADERS)
while read -r unit; do
    case $unit in *.cpp) ;; *) continue ;; esac
    "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -Wno-attributes -I. \
        -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" -DZEL_WINDOWS_MUTEX='"any-name"' "$unit"
    echo "compiled: ${unit#"$PWD"/}"
done <"$units"
echo "PASS: Windows units"
