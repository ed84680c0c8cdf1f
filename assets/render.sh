#!/bin/sh
# Renders the committed PNGs from their SVG sources. Run after editing an SVG;
# the build uses the PNGs and needs neither tool.
# Needs: rsvg-convert (librsvg2-bin) and convert (imagemagick).
set -eu
cd "$(dirname "$0")"
render() { # source size name
    rsvg-convert -w "${2%x*}" -h "${2#*x}" "$1" -o "$3"
}
render icon.svg 32x32 icon.png
render icon.svg 64x64 icon@2x.png
# The icon keeps to a 256-colour palette.
convert icon.png -colors 256 PNG8:icon.png
convert icon@2x.png -colors 256 PNG8:icon@2x.png
render picture.svg 157x150 picture.png
render picture.svg 314x300 picture@2x.png
# Icons for the desktop's hicolor theme.
for size in 16 22 24 32 48 64 128 256; do
    render icon.svg "${size}x${size}" "hicolor/${size}x${size}.png"
done
# The Windows icon: the sizes Explorer and the taskbar ask for, in one file.
convert hicolor/16x16.png hicolor/24x24.png hicolor/32x32.png hicolor/48x48.png \
    hicolor/64x64.png hicolor/256x256.png icon.ico
