#!/bin/sh
# Draws the program's icon: the arm as the side view shows it, thick black links with red
# joints on a white field, inside the blue of the simulator windows. Rendered once at
# 256 x 256 and scaled to the sizes the desktop asks for. Needs ImageMagick's convert.
# Run it by hand after changing the picture:
#   tools/iconos/programa.sh            (writes resources/programa/brazo-<size>.png)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../resources/programa}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 256x256 xc:none \
    -fill '#0000ff' -stroke none -draw "roundrectangle 6,6 249,249 40,40" \
    -fill white -draw "roundrectangle 26,26 229,229 18,18" \
    -fill '#808080' -stroke black -strokewidth 4 -draw "rectangle 58,196 122,214" \
    -stroke black -strokewidth 18 \
    -draw "fill none stroke-linecap round stroke-linejoin round polyline 90,196 90,138 158,86 204,132 210,176" \
    -fill red -stroke black -strokewidth 6 \
    -draw "circle 90,138 90,122" -draw "circle 158,86 158,70" -draw "circle 204,132 204,116" \
    "$work/brazo-256.png"

for size in 256 128 64 48 32 24 22 16; do
    convert "$work/brazo-256.png" -resize "${size}x${size}" -depth 8 -strip "$out/brazo-$size.png"
done
# The Windows program's icon: the same pictures in one file.
convert "$out/brazo-16.png" "$out/brazo-24.png" "$out/brazo-32.png" "$out/brazo-48.png" "$out/brazo-64.png" \
    "$out/brazo-256.png" "$out/brazo.ico"
identify "$out"/brazo-*.png "$out/brazo.ico"
