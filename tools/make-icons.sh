#!/usr/bin/env bash
# Draws the two program icons with ImageMagick and writes resources/Murivale.ico and
# resources/Tessaban.ico (16, 32 and 48 pixels each). The outputs are kept in the repository;
# run this again only to change the designs.
#   Murivale: a framed landscape (sky, sun, hills), the picture on the desktop.
#   Tessaban: a folder with a check mark, the setup that picks the folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=resources
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
command -v convert >/dev/null || { echo "make-icons: ImageMagick's convert is needed" >&2; exit 1; }

# Each design is drawn once at 192 px and scaled down; 16 px gets a simpler drawing.
convert -size 192x192 xc:none \
  -fill '#2b2b2b' -draw 'roundrectangle 6,18 186,174 14,14' \
  \( -size 164x140 gradient:'#3d7fd6-#bfe3ff' \
     -fill '#ffd23f' -draw 'circle 126,36 126,56' \
     -fill '#3f8f3a' -draw 'ellipse 36,144 90,60 180,360' \
     -fill '#2f6f2c' -draw 'ellipse 136,150 80,50 180,360' \) -geometry +14+26 -composite \
  -fill none -stroke '#2b2b2b' -strokewidth 8 -draw 'roundrectangle 10,22 182,170 12,12' \
  "$tmp/m192.png"
convert -size 16x16 xc:none \
  -fill '#2b2b2b' -draw 'rectangle 0,2 15,13' \
  -fill '#5a9be6' -draw 'rectangle 1,3 14,12' \
  -fill '#ffd23f' -draw 'rectangle 10,4 12,6' \
  -fill '#3f8f3a' -draw 'polygon 1,12 5,7 9,12' -draw 'polygon 6,12 10,8 14,12' \
  "$tmp/m16.png"

convert -size 192x192 xc:none \
  -fill '#c98a1b' -draw 'roundrectangle 8,38 92,70 10,10' \
  -fill '#f2b63c' -draw 'roundrectangle 8,54 184,176 12,12' \
  -fill '#e0a22a' -draw 'rectangle 8,54 184,66' \
  -fill none -stroke white -strokewidth 20 -draw 'polyline 52,114 86,146 146,80' \
  -stroke '#1f7a30' -strokewidth 12 -draw 'polyline 52,114 86,146 146,80' \
  "$tmp/t192.png"
convert -size 16x16 xc:none \
  -fill '#c98a1b' -draw 'rectangle 0,3 6,5' \
  -fill '#f2b63c' -draw 'rectangle 0,5 15,14' \
  -fill none -stroke '#1f7a30' -draw 'line 4,9 7,12' -draw 'line 7,12 12,7' \
  -draw 'line 4,10 7,13' -draw 'line 7,13 12,8' \
  "$tmp/t16.png"

for d in m t; do
  for s in 32 48; do
    convert "$tmp/${d}192.png" -filter Lanczos -resize ${s}x${s} "$tmp/${d}${s}.png"
  done
done
convert "$tmp/m16.png" "$tmp/m32.png" "$tmp/m48.png" "$out/Murivale.ico"
convert "$tmp/t16.png" "$tmp/t32.png" "$tmp/t48.png" "$out/Tessaban.ico"
identify "$out/Murivale.ico" "$out/Tessaban.ico"
