#!/bin/sh
# Writes the installer's page images from the program's icon into this folder:
#   header.bmp          150x57, the top-right corner of every page
#   welcome-finish.bmp  164x314, the left panel of the welcome and finish pages (installer and
#                       uninstaller)
# 24-bit BMP3, the only kind NSIS shows. The BMPs are committed, so a build needs no ImageMagick;
# run this again after the icon changes:
#
#   sh packaging/windows/make-images.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
icon="$here/../../src/ui/resources/axistune.ico[2]" # the 48x48 frame, the largest
# The icon's own night blue and a darker one below it; the icon's disc sits on that sky.
sky=rgb\(28,46,104\)
deep=rgb\(8,12,32\)

command -v convert >/dev/null || {
    echo "make-images.sh: ImageMagick's convert is needed" >&2
    exit 1
}

# The header's background is the wizard's white.
convert -size 150x57 xc:white \( "$icon" \) -gravity east -geometry +6+0 -composite \
    -alpha off -type TrueColor "BMP3:$here/header.bmp"

# Stars are fixed points, so the picture is the same on every run.
convert -size 164x314 "gradient:$sky-$deep" \
    -fill 'rgb(236,238,244)' \
    -draw 'circle 24,190 24,191' -draw 'circle 131,214 131,215.5' -draw 'circle 58,248 58,249' \
    -draw 'circle 140,276 140,277' -draw 'circle 30,292 30,293.5' -draw 'circle 102,262 102,263' \
    -draw 'circle 84,228 84,229.5' \
    \( "$icon" -filter Lanczos -resize 96x96 \) -gravity north -geometry +0+40 -composite \
    -fill white -font DejaVu-Sans-Bold -pointsize 20 -gravity north -annotate +0+150 AxisTune \
    -alpha off -type TrueColor "BMP3:$here/welcome-finish.bmp"
