#!/bin/sh
# Draws the Windows program's icons and log pictures from the Qt program's SVGs into
# this folder, at every size the program shows them at from 100 % to 300 % scale, so that
# nothing is stretched: program.ico (16 to 64 and 256 pixels), flag_pl.ico and
# flag_gb.ico (16 to 48 pixels), and the log picture strips: log_pictures.bmp (three
# 12 x 12 pictures side by side, 16 colours, magenta where nothing is drawn) and
# log_pictures_N.bmp, the same at N x N pixels. The results are committed; run this again
# after changing an SVG. Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick.
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

# The program's icon: the 16-pixel drawing at 16, the full one from 20 pixels up.
png program_icon_16.svg 16 "$work/program16.png"
frames="$work/program16.png"
for size in 20 24 32 40 48 64 256; do
  png program_icon.svg "$size" "$work/program$size.png"
  frames="$frames $work/program$size.png"
done
# shellcheck disable=SC2086
convert $frames "$here/program.ico"

for flag in pl gb; do
  frames=""
  for size in 16 20 24 28 32 40 48; do
    png "flag_$flag.svg" "$size" "$work/flag$size.png"
    frames="$frames $work/flag$size.png"
  done
  # shellcheck disable=SC2086
  convert $frames "$here/flag_$flag.ico"
done

# The picture strips: pixels at least half covered keep their colour, the rest become
# magenta; then every pixel takes the nearest of the 16 standard colours (magenta among
# them), so each bitmap is a 4-bit one and its transparent colour is exact.
convert -size 1x1 xc:black xc:maroon xc:green xc:olive xc:navy xc:purple xc:teal xc:silver \
  xc:gray xc:red xc:lime xc:yellow xc:blue xc:magenta xc:cyan xc:white +append "$work/palette.png"
for size in 12 15 18 21 24 30 36; do
  for kind in error info separator; do
    png "log_$kind.svg" "$size" "$work/$kind.png"
    convert "$work/$kind.png" -channel A -threshold 50% +channel -background magenta -flatten "$work/$kind-flat.png"
  done
  name=log_pictures.bmp
  [ "$size" -eq 12 ] || name="log_pictures_$size.bmp"
  convert "$work/error-flat.png" "$work/info-flat.png" "$work/separator-flat.png" +append \
    +dither -remap "$work/palette.png" -type Palette -compress none BMP3:"$here/$name"
done
