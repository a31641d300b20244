#!/bin/sh
# Draws the serial terminal's window icon: a nine-pin serial connector seen from the front,
# with its cable, in two sizes (32 x 32 and 16 x 16) and 16 colours, and packs both images
# into one .ico. Needs ImageMagick's convert. Run it by hand after changing the picture:
#   tools/iconos/comserial.sh            (writes resources/comserial.ico)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../resources/comserial.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Colours of the classic 16-colour palette only, so that quantising keeps them exact.
shell=silver
edge=black
insert=navy
pin=yellow
cable=gray

convert -size 32x32 xc:none +antialias \
    -fill "$cable" -stroke "$edge" -draw "rectangle 13,23 18,31" \
    -fill "$shell" -stroke "$edge" -draw "polygon 1,7 30,7 26,24 5,24" \
    -fill "$insert" -stroke "$insert" -draw "polygon 5,10 26,10 23,21 8,21" \
    -fill "$pin" -stroke "$pin" \
    -draw "rectangle 9,12 10,13" -draw "rectangle 12,12 13,13" -draw "rectangle 15,12 16,13" \
    -draw "rectangle 18,12 19,13" -draw "rectangle 21,12 22,13" \
    -draw "rectangle 11,17 12,18" -draw "rectangle 14,17 15,18" -draw "rectangle 17,17 18,18" \
    -draw "rectangle 20,17 21,18" \
    "$work/icon32.png"

convert -size 16x16 xc:none +antialias \
    -fill "$cable" -stroke "$edge" -draw "rectangle 6,12 9,15" \
    -fill "$shell" -stroke "$edge" -draw "polygon 0,3 15,3 13,12 2,12" \
    -fill "$insert" -stroke "$insert" -draw "polygon 2,5 13,5 11,10 4,10" \
    -fill "$pin" -stroke "$pin" \
    -draw "point 4,6" -draw "point 6,6" -draw "point 8,6" -draw "point 10,6" -draw "point 12,6" \
    -draw "point 5,9" -draw "point 7,9" -draw "point 9,9" -draw "point 11,9" \
    "$work/icon16.png"

convert "$work/icon32.png" "$work/icon16.png" -colors 16 "$out"
identify "$out"
