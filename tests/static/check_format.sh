#!/bin/sh
# Every C++ source follows the committed .clang-format.
set -eu
cd "$(dirname "$0")/../.."
find accessibility app about assets bench links main_window oracle reminder support tests ui \
    -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror
