#!/bin/sh
# The Windows-only units compile for Windows: a cross compiler checks them.
set -eu
cd "$(dirname "$0")/../.."
compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null || compiler=x86_64-w64-mingw32-g++
for unit in links/shell_open_win.cpp support/topmost_win.cpp ui/announce_win.cpp; do
    "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I. "$unit"
done
echo "PASS: Windows units"
