#!/bin/sh
# The Windows-only units compile for Windows: a cross compiler checks them.
# They take Qt's headers (the host's, which hold Windows' branches too, but
# declare some functions twice with and without dllimport: not ours to mind).
set -eu
cd "$(dirname "$0")/../.."
compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null || compiler=x86_64-w64-mingw32-g++
qt=$(qtpaths6 --query QT_INSTALL_HEADERS)
for unit in links/desktop_opener_win.cpp support/keep_on_top_win.cpp ui/announce_win.cpp \
    app/instance_lock_win.cpp reminder/settings_file_win.cpp; do
    "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -Wno-attributes -I. \
        -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" -DZEL_WINDOWS_MUTEX='"any-name"' "$unit"
done
echo "PASS: Windows units"
