#!/usr/bin/env bash
# Murivale's choice window, its picture browser and Tessaban's window at 96, 120 and 144 dpi:
# a screenshot of each (cropped to the window, in the artifacts: murivale-choice-120dpi.png,
# ...), and a check that the windows are laid out at the screen's resolution: their layouts are
# in twips, so the client areas must grow with the dpi (the choice window 2415 x 2055 twips is
# 161 x 137 pixels at 96 dpi, 201 x 171 at 120, 242 x 206 at 144).
# The choice window and the browser are clipped to their client areas: the window's X shape
# is the client area, measured exactly (to a pixel or two of rounding). Tessaban keeps its
# frame, drawn by Wine; its outer size must lie between the scaled client size and that plus a
# frame's allowance.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

e2e_display 1024x768
# Client areas in twips.
choice_twips=(2415 2055)
browser_twips=(5175 2775)
tessaban_twips=(5415 3855)
# "Select Custom Background": left, top, width, height in twips in the choice window.
select_button=(120 1080 2175 375)

# px TWIPS DPI: the pixels of a length in twips at a resolution, rounded to the nearest.
px() { echo $((($1 * $2 + 720) / 1440)); }

# shape ID: "X Y WIDTH HEIGHT" of a window's bounding shape, relative to its X window.
shape() {
  xwininfo -id "$1" -shape 2>/dev/null |
    sed -n 's/.*Window shape extents: *\([0-9]*\)x\([0-9]*\)+\([-0-9]*\)+\([-0-9]*\).*/\3 \4 \1 \2/p'
}

# near EXPECTED ACTUAL SLACK: true when they differ by no more than SLACK.
near() { local d=$(($2 - $1)); ((d < 0)) && d=$((-d)); ((d <= $3)); }

# shot_window ID NAME: a screenshot cropped to the window (its frame included).
shot_window() {
  local geo
  geo=$(e2e_window_geometry "$1") || e2e_fail "window $1 is gone"
  set -- "$1" "$2" $geo
  e2e_screenshot "$2-screen"
  convert "$E2E_SHOT" -crop "$5x$6+$3+$4" +repage "$E2E_OUT/$2.png" ||
    e2e_fail "could not crop the screenshot $2"
  rm -f "$E2E_SHOT"
  e2e_log "window shot $E2E_OUT/$2.png"
}

# check_clipped_client ID WHAT TWIPS_W TWIPS_H DPI: the window's shape is its client area at
# this resolution.
check_clipped_client() {
  local id=$1 what=$2 dpi=$5 s
  s=$(shape "$id")
  [ -n "$s" ] || e2e_fail "$what at $dpi dpi: the window has no shape (it is not clipped to its client area)"
  set -- $s "$3" "$4"
  local want_w want_h
  want_w=$(px "$5" "$dpi")
  want_h=$(px "$6" "$dpi")
  e2e_log "$what at $dpi dpi: client ${3}x$4, expected ${want_w}x$want_h"
  if ! near "$want_w" "$3" 2 || ! near "$want_h" "$4" 2; then
    e2e_fail "$what at $dpi dpi: client area ${3}x$4, expected ${want_w}x$want_h (twips $5x$6)"
  fi
}

for dpi in 96 120 144; do
  e2e_prefix winxp "$dpi"
  e2e_reg_set 'HKCU\Software\Wine\X11 Driver' Managed N
  # The programs in a folder of the prefix (they would write their bitmaps beside themselves),
  # and a configuration for a start by hand.
  program_dir=$(e2e_drive_c)/Murivale
  mkdir -p "$program_dir/Images"
  cp "$E2E_DIST/Murivale.exe" "$E2E_DIST/Tessaban.exe" "$program_dir/"
  cp "$E2E_REPO"/samples/*.jpg "$E2E_REPO"/samples/*.gif "$program_dir/Images/"
  e2e_reg_set "$MURIVALE_KEY" FolderPath 'C:\Murivale\Images\'
  e2e_reg_set "$MURIVALE_KEY" BaseFile 'C:\Murivale\Images\sunrise.jpg'
  e2e_reg_set "$MURIVALE_KEY" CurrentFile 'sunrise.jpg'
  e2e_reg_set "$MURIVALE_KEY" RunOnStartup 0
  wineserver -w

  # The choice window.
  e2e_open Murivale "$program_dir/Murivale.exe"
  # The browser is made (hidden) during start-up and has the same title: once start-up has
  # settled (the choice window has painted and holds still), the one window shown is the
  # choice window.
  e2e_wait_painted "$win" 30
  choice=$(e2e_find_window Murivale)
  [ "$(echo "$choice" | wc -w)" == 1 ] ||
    e2e_fail "at $dpi dpi, $(echo "$choice" | wc -w) windows titled Murivale are shown after start-up"
  check_clipped_client "$choice" "the choice window" "${choice_twips[@]}" "$dpi"
  shot_window "$choice" "murivale-choice-${dpi}dpi"

  # The browser, by a click in the middle of "Select Custom Background".
  read -r cx cy _ _ <<<"$(shape "$choice")"
  read -r wx wy _ _ <<<"$(e2e_window_geometry "$choice")"
  e2e_click $((wx + cx + $(px $((select_button[0] + select_button[2] / 2)) "$dpi"))) \
    $((wy + cy + $(px $((select_button[1] + select_button[3] / 2)) "$dpi")))
  browser=""
  for ((i = 0; i < 100; i++)); do
    for id in $(e2e_find_window Murivale); do
      [ "$id" != "$choice" ] && browser=$id
    done
    [ -n "$browser" ] && break
    sleep 0.1
  done
  [ -n "$browser" ] || e2e_fail "the browser did not open at $dpi dpi"
  e2e_wait_painted "$browser" 30
  check_clipped_client "$browser" "the browser" "${browser_twips[@]}" "$dpi"
  # The last image of the list, so that the preview and the image size are shown too.
  listed=$(e2e_region_sum $(e2e_window_geometry "$browser")) || e2e_fail "cannot read the screen"
  e2e_keys "$browser" End
  # The last entry is selected and previewed: the browser changes, then holds still.
  e2e_wait_until 20 "the browser takes End at $dpi dpi" \
    e2e_region_changed "$listed" $(e2e_window_geometry "$browser")
  e2e_wait_painted "$browser" 30
  shot_window "$browser" "murivale-browser-${dpi}dpi"
  wineserver -k
  e2e_wait_exit "$pid" 15 >/dev/null || true
  wineserver -w

  # Tessaban.
  e2e_open 'Tessaban - Setup Program for Murivale' "$program_dir/Tessaban.exe"
  tessaban=$win
  e2e_wait_painted "$tessaban" 30
  read -r _ _ tw th <<<"$(e2e_window_geometry "$tessaban")"
  want_w=$(px "${tessaban_twips[0]}" "$dpi")
  want_h=$(px "${tessaban_twips[1]}" "$dpi")
  e2e_log "Tessaban at $dpi dpi: window ${tw}x$th, client should be ${want_w}x$want_h"
  # The frame adds its borders and, in height, the caption: at most 24 and 60 pixels here.
  ((tw >= want_w && tw <= want_w + 24 && th >= want_h && th <= want_h + 60)) ||
    e2e_fail "Tessaban at $dpi dpi: window ${tw}x$th does not hold a client area of ${want_w}x$want_h with a frame"
  shot_window "$tessaban" "tessaban-${dpi}dpi"
  wineserver -k
  e2e_wait_exit "$pid" 15 >/dev/null || true
  wineserver -w
done

e2e_pass
