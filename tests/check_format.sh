#!/bin/sh
# Every C++ source follows the committed .clang-format.
set -eu
cd "$(dirname "$0")/.."
find app assets links main_window oracle support tests -name '*.cpp' -o -name '*.h' \
    | xargs clang-format --dry-run --Werror
