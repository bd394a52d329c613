#!/usr/bin/env bash
# Tessaban in a high-contrast scheme (white text on black, set in the prefix as the system's
# colour settings keep it): the window's face follows the scheme, and its captions (labels of
# the toolkit's own painting, the image count of two or more among them) are drawn in the
# scheme's text colour, readable, not black on black; so is the caption of the logon box (a
# system check box). The screenshot is kept:
# tessaban-high-contrast.png.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

e2e_display 1024x768
e2e_prefix winxp
colors='HKCU\Control Panel\Colors'
for name in ButtonFace Window Menu Background 3DObject; do e2e_reg_set "$colors" "$name" "0 0 0"; done
for name in ButtonText WindowText MenuText GrayText; do e2e_reg_set "$colors" "$name" "255 255 255"; done
e2e_reg_set "$colors" Hilight "0 0 255"
e2e_reg_set "$colors" HilightText "255 255 255"
wineserver -w

program_dir=$(e2e_drive_c)/Murivale
mkdir -p "$program_dir"
cp "$E2E_DIST/Tessaban.exe" "$program_dir/"
# The window opens on C:\; with two images there its count is drawn in the scheme's text colour.
cp "$E2E_REPO/samples/"*.jpg "$(e2e_drive_c)/" 2>/dev/null || e2e_fail "no sample images"
e2e_open 'Tessaban - Setup Program for Murivale' "$program_dir/Tessaban.exe"
window=$win
read -r x y w h <<<"$(e2e_window_geometry "$window")"
# The client area is 5415 x 3855 twips, 361 x 257 pixels at 96 dpi, below the caption.
border=$(((w - 361) / 2))
cx=$((x + border)) cy=$((y + h - 257 - border))

# count_light GEOMETRY: pixels brighter than mid-grey in that part of the last screenshot.
count_light() {
  convert "$E2E_SHOT" -crop "$1" +repage -colorspace Gray -threshold 50% -format '%[fx:int(mean*w*h+0.5)]' info:
}
# The caption "Set folder for images to be used:" lies at 120, 120 twips, 5175 x 255 (8, 8 and
# 345 x 17 pixels); a bare face, right of the logon box, at 215, 202 pixels. The window is
# looked at until its caption shows (it has painted), for at most 10 s.
for ((n = 0; n < 20; n++)); do
  e2e_screenshot screen
  caption=$(count_light "200x17+$((cx + 8))+$((cy + 8))")
  ((caption >= 40)) && break
  sleep 0.5
done
face=$(count_light "20x12+$((cx + 215))+$((cy + 202))")
# The logon box's caption, "Set Random Wallpaper at Startup", right of its box (240, 3000 twips).
check=$(count_light "150x15+$((cx + 40))+$((cy + 201))")
# The image count, right-aligned at 3720, 2640 twips, 1455 x 255 (248, 176 and 97 x 17 pixels).
count=$(count_light "97x17+$((cx + 248))+$((cy + 176))")
convert "$E2E_SHOT" -crop "${w}x$h+$x+$y" +repage "$E2E_OUT/tessaban-high-contrast.png"
e2e_log "light pixels: caption $caption, logon box caption $check, image count $count, bare face $face"
((face == 0)) || e2e_fail "the window's face does not follow the scheme's black ($face light pixels)"
((caption >= 40)) || e2e_fail "the caption is not drawn in the scheme's text colour ($caption light pixels)"
((count >= 8)) || e2e_fail "the image count is not drawn in the scheme's text colour ($count light pixels)"
((check >= 40)) || e2e_fail "the logon box's caption is not drawn in the scheme's text colour ($check light pixels)"

wineserver -k
e2e_wait_exit "$pid" 15 >/dev/null || true
e2e_pass
