#!/bin/sh
# No include crosses the layering upward or sideways: a folder includes its
# own headers and those of the folders layers.txt allows it, nothing else.
set -eu
cd "$(dirname "$0")/../.."
list=tests/static/layers.txt
folders=$(grep -v '^#' "$list" | cut -d: -f1)
status=0
seen=""
while IFS=: read -r folder allowed; do
    case "$folder" in '#'* | '') continue ;; esac
    for dep in $allowed; do
        case " $seen " in *" $dep "*) ;; *)
            echo "$list: $folder may include $dep, which does not stand above it"
            status=1 ;;
        esac
    done
    seen="$seen $folder"
    for include in $(grep -ho '^#include "[a-z_]*/' "$folder"/*.cpp "$folder"/*.h 2>/dev/null \
        | sed 's/^#include "//; s/\/$//' | sort -u); do
        [ "$include" = "$folder" ] && continue
        echo "$folders" | grep -qx "$include" || continue # a Qt or generated header
        case " $allowed " in *" $include "*) ;; *)
            echo "$folder includes $include:" \
                "$(grep -l "^#include \"$include/" "$folder"/*.cpp "$folder"/*.h | tr '\n' ' ')"
            status=1 ;;
        esac
    done
done <"$list"
[ "$status" = 0 ] && echo "PASS: layering"
exit "$status"
