#!/usr/bin/env bash
# Draws the sample wallpapers in samples/ with ImageMagick: gradients, patterns and plasma,
# each with its name written on it, in the four image kinds the programs take (JPEG under
# .jpg and .jpeg, GIF, BMP, and a BMP named .dib). The outputs are kept in the repository;
# run this again only to change them. Random patterns use fixed seeds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=samples
command -v convert >/dev/null || { echo "make-samples: ImageMagick's convert is needed" >&2; exit 1; }
font=DejaVu-Sans-Bold
convert -list font 2>/dev/null | grep -q "Font: $font\$" || font=""

# caption FILE TEXT SIZE: writes TEXT in the lower left corner, white on a dark band.
caption() {
  local file=$1 text=$2 size=$3 w h
  read -r w h < <(identify -format '%w %h\n' "$file")
  convert "$file" -gravity SouthWest \
    -fill '#00000080' -draw "rectangle 0,$((h - size * 2)) $w,$h" \
    ${font:+-font "$font"} -pointsize "$size" -fill white -annotate "+$((size / 2))+$((size / 2))" "$text" \
    "$file"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 1. Sunrise: vertical gradient with a sun, 800x600 JPEG.
convert -size 800x600 gradient:'#1b2a6b-#ff9a3c' \
  -fill '#ffe98a' -draw 'circle 400,470 400,400' \
  -fill '#1d3b1d' -draw 'rectangle 0,500 800,600' "$tmp/a.png"
caption "$tmp/a.png" "Sunrise 800x600 JPEG" 22
convert "$tmp/a.png" -strip -quality 82 "$out/sunrise.jpg"

# 2. Plasma meadow: 1024x768 JPEG.
convert -seed 1125 -size 1024x768 plasma:'#2e7d32-#c5e1a5' -blur 0x2 "$tmp/b.png"
caption "$tmp/b.png" "Plasma meadow 1024x768 JPEG" 26
convert "$tmp/b.png" -strip -quality 78 "$out/plasma-meadow.jpg"

# 3. Night grid: 640x480, saved as .jpeg.
convert -size 640x480 radial-gradient:'#3949ab-#0d0d26' \
  \( -size 640x480 pattern:hs_cross -negate -fill '#ffffff' -colorize 0 \) \
  -compose multiply -composite "$tmp/c.png"
caption "$tmp/c.png" "Night grid 640x480 JPEG (.jpeg)" 20
convert "$tmp/c.png" -strip -quality 80 "$out/night-grid.jpeg"

# 4. Dunes: 1920x1080 JPEG, the full-HD case.
convert -seed 25 -size 1920x1080 plasma:'#e0b067-#8d5a2b' -blur 0x6 \
  \( -size 1920x1080 gradient:'#87ceeb-#87ceeb00' -crop 1920x400+0+0 +repage \) \
  -geometry +0+0 -composite "$tmp/d.png"
caption "$tmp/d.png" "Dunes 1920x1080 JPEG" 40
convert "$tmp/d.png" -strip -quality 70 "$out/dunes-1920x1080.jpg"

# 5. Stripes: 640x480 GIF with a small palette.
convert -size 640x480 xc:'#fafafa' \
  -fill '#e53935' -draw 'polygon 0,0 160,0 0,160' -draw 'polygon 0,320 320,0 480,0 0,480' \
  -fill '#1e88e5' -draw 'polygon 160,480 640,0 640,160 320,480' \
  -fill '#fdd835' -draw 'polygon 480,480 640,320 640,480' "$tmp/e.png"
caption "$tmp/e.png" "Stripes 640x480 GIF" 20
convert "$tmp/e.png" -strip -colors 32 "$out/stripes.gif"

# 6. Checkerboard: 512x384 BMP, 8 bits per pixel.
convert -size 512x384 pattern:checkerboard -scale 400% -crop 512x384+0+0 +repage \
  +level-colors '#004d40,#80cbc4' "$tmp/f.png"
caption "$tmp/f.png" "Checkers 512x384 BMP" 18
convert "$tmp/f.png" -strip -type Palette -colors 64 -compress None "BMP3:$out/checkers.bmp"

# 7. Rings: 320x240 BMP, 24 bits per pixel, named .dib.
convert -size 320x240 xc:black -fill none -strokewidth 6 \
  -stroke '#ff7043' -draw 'circle 160,120 160,20' \
  -stroke '#ffca28' -draw 'circle 160,120 160,50' \
  -stroke '#66bb6a' -draw 'circle 160,120 160,80' \
  -stroke '#42a5f5' -draw 'circle 160,120 160,105' "$tmp/g.png"
caption "$tmp/g.png" "Rings 320x240 DIB" 14
convert "$tmp/g.png" -strip -type TrueColor -compress None "BMP3:$out/rings.dib"

ls -l "$out"
du -cb "$out"/*.jpg "$out"/*.jpeg "$out"/*.gif "$out"/*.bmp "$out"/*.dib | tail -n 1
