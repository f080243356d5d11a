#!/usr/bin/env bash
# Draws every image of the program from resources/tavolin_logo.svg: the
# Windows icon (tavolin.ico: 16, 24, 32, 48, 256), the logo bitmap of the
# windows (logo.bmp: the card alone, 87 x 55 pixels, the 58 x 34 dialog units
# of its place in the main window) and the Linux icons (icons/hicolor). The
# images are committed, so that a build needs no image tools; run this after
# changing the drawing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" images

resources=$root/resources
svg=$resources/tavolin_logo.svg
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for size in 16 24 32 48 64 128 256; do
  folder=$resources/icons/hicolor/${size}x${size}/apps
  mkdir -p "$folder"
  rsvg-convert -w $size -h $size "$svg" -o "$folder/tavolin.png"
done
mkdir -p "$resources/icons/hicolor/scalable/apps"
cp "$svg" "$resources/icons/hicolor/scalable/apps/tavolin.svg"

icon_sizes=()
for size in 16 24 32 48 256; do
  icon_sizes+=("$resources/icons/hicolor/${size}x${size}/apps/tavolin.png")
done
convert "${icon_sizes[@]}" "$resources/tavolin.ico"

# A bitmap has no transparency: the card stands on the dialogs' face colour.
rsvg-convert -w 512 -h 512 "$svg" -o "$work/large.png"
convert "$work/large.png" -trim +repage -resize '87x55!' -background '#f0f0f0' -flatten -alpha off \
  -type TrueColor "BMP3:$resources/logo.bmp"
echo "images written to $resources"
