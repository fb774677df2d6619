#!/bin/sh
# Draws the Windows program's icons and log pictures from the Qt program's SVGs into
# this folder: program.ico (32 and 16 pixels), flag_pl.ico and flag_gb.ico (16 and 32
# pixels) and log_pictures.bmp (three 12 x 12 pictures side by side, 16 colours, magenta
# where nothing is drawn). The results are committed; run this again after changing an SVG.
# Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick.
#
#   gui/win32/res/make_pictures.sh [SVG_FOLDER]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
svg="${1:-$here/../../qt/res}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

png() {  # png SVG SIZE OUT
  rsvg-convert -w "$2" -h "$2" -o "$3" "$svg/$1"
}

png program_icon.svg 32 "$work/program32.png"
png program_icon_16.svg 16 "$work/program16.png"
convert "$work/program32.png" "$work/program16.png" "$here/program.ico"

for flag in pl gb; do
  png "flag_$flag.svg" 32 "$work/flag32.png"
  png "flag_$flag.svg" 16 "$work/flag16.png"
  convert "$work/flag32.png" "$work/flag16.png" "$here/flag_$flag.ico"
done

# The picture strip: pixels at least half covered keep their colour, the rest become
# magenta; then every pixel takes the nearest of the 16 standard colours (magenta among
# them), so the bitmap is a 4-bit one and its transparent colour is exact.
for kind in error info separator; do
  png "log_$kind.svg" 12 "$work/$kind.png"
  convert "$work/$kind.png" -channel A -threshold 50% +channel -background magenta -flatten "$work/$kind-flat.png"
done
convert -size 1x1 xc:black xc:maroon xc:green xc:olive xc:navy xc:purple xc:teal xc:silver \
  xc:gray xc:red xc:lime xc:yellow xc:blue xc:magenta xc:cyan xc:white +append "$work/palette.png"
convert "$work/error-flat.png" "$work/info-flat.png" "$work/separator-flat.png" +append \
  +dither -remap "$work/palette.png" -type Palette -compress none BMP3:"$here/log_pictures.bmp"
