#!/usr/bin/env bash
# The whole set-up on Windows XP: the user picks a folder of pictures in Tessaban's folder tree
# (keyboard and double-click), ticks the logon box and saves. The configuration, the logon entry
# and the base bitmap (the old wallpaper, found through the profile placeholder) are checked;
# then the logon entry is started exactly as stored, and the next desktop shows a picture of the
# folder.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"

# --- The case ---------------------------------------------------------------------------------

setup_begin winxp 'C:\Tools\Murivale'

# The pictures: the samples in C:\Images\Holiday Pictures, beside a folder of other things.
pictures=$drive_c/Images/Holiday\ Pictures
mkdir -p "$pictures" "$drive_c/Images/Archive"
samples=(sunrise.jpg plasma-meadow.jpg night-grid.jpeg dunes-1920x1080.jpg stripes.gif checkers.bmp rings.dib)
for f in "${samples[@]}"; do cp "$E2E_REPO/samples/$f" "$pictures/" || e2e_fail "cannot copy sample $f"; done
cp "$E2E_REPO/samples/sunrise.jpg" "$drive_c/Images/Archive/"

# The wallpaper in place before the setup: a bitmap in the user's profile, named with the
# profile placeholder as the system stores it.
profile_win=$(wine cmd /c 'echo %USERPROFILE%' </dev/null 2>/dev/null | tr -d '\r' | tail -n 1)
profile=$(winepath -u "$profile_win" 2>/dev/null)
if [ -z "$profile" ] || [ "$profile_win" == '%USERPROFILE%' ]; then
  e2e_fail "cannot find the user's profile folder"
fi
mkdir -p "$profile/Wallpapers"
old_wallpaper=$profile/Wallpapers/Old\ Checkers.bmp
cp "$E2E_REPO/samples/checkers.bmp" "$old_wallpaper"
e2e_reg_set "$SHELL_WALLPAPER_KEY" Wallpaper '%USERPROFILE%\Wallpapers\Old Checkers.bmp'
e2e_reg_set "$DESKTOP_KEY" Wallpaper "$profile_win\\Wallpapers\\Old Checkers.bmp"

# The setup, as a user does it: open Images with the keyboard, Holiday Pictures with a
# double-click, tick the logon box, save.
t0=$SECONDS
setup_open
e2e_focus "$win"
focus_dir_list
open_entry Images
assert_eq "$(printf 'C:\\\nImages\nArchive\nHoliday Pictures')" "$(dir_entries)" "folder tree in C:\\Images"
open_entry_by_mouse "Holiday Pictures"
wait_for "the count of the pictures" eval 'test "$(image_count)" == "${#samples[@]}"'
assert_eq "black" "$(count_colour)" "colour of the count of the pictures"
e2e_keys "$win" alt+r
wait_for "the logon box to be checked" eval 'test "$(startup_box)" == checked'
e2e_screenshot before-save
e2e_keys "$win" alt+s
e2e_wait_no_window "$SETUP_TITLE" 15
e2e_wait_exit "$pid" 15 >/dev/null
assert_no_window "Error"
e2e_log "setup and save took $((SECONDS - t0)) s"

# What the save wrote.
base_file="$program_folder\\ann${BASE_SUFFIX}"
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Images\Holiday Pictures\'
assert_reg "$MURIVALE_KEY" BaseFile "$base_file"
assert_reg "$MURIVALE_KEY" CurrentFile "$base_file"
assert_reg "$MURIVALE_KEY" RunOnStartup 1
assert_reg "$RUN_KEY" "$RUN_VALUE" "$program_folder\\Murivale.exe /p %1"

# The base bitmap is a Windows bitmap holding the old wallpaper's picture, pixel for pixel.
base=$programs/ann${BASE_SUFFIX}
assert_file "$base" "base bitmap"
assert_eq "BM" "$(head -c 2 "$base")" "signature of the base bitmap"
# bmp_size FILE: the size of a Windows bitmap (any of its header versions), "not a bitmap" else.
bmp_size() { identify -format '%m %wx%h' "$1" 2>/dev/null | sed -n 's/^BMP[23]\{0,1\} //p' | grep . || echo "not a bitmap"; }
assert_eq "512x384" "$(bmp_size "$base")" "size of the base bitmap"
differing=$(compare -metric AE "$base" "$E2E_REPO/samples/checkers.bmp" null: 2>&1)
assert_eq "0" "$differing" "pixels of the base bitmap that differ from the old wallpaper"

# The logon: the entry is started exactly as stored, the way the system starts it, on a desktop
# that shows the wallpaper.
# middle_shows PICTURE: true when the middle of the screen shows PICTURE as Wine's desktop
# places it (xvfb_middle_shows). Sets E2E_WAIT_NOTE to the difference.
middle_shows() {
  local shown=0
  xvfb_middle_shows "$1" "$E2E_WORK" || shown=1
  E2E_WAIT_NOTE="difference $XVFB_MIDDLE_DIFF"
  return "$shown"
}
desktop_shot() { # NAME PICTURE: a fresh desktop as at logon, and its screenshot once it shows PICTURE
  wine explorer /desktop=shell,1024x768 </dev/null >>"$E2E_OUT/desktop.log" 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait_window "shell - Wine desktop" 30
  # The desktop paints its wallpaper in its own time.
  e2e_wait_until 30 "the desktop shows $(basename "$2") in its middle" middle_shows "$2"
  e2e_screenshot "$1"
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
}
desktop_shot desktop-before-logon "$old_wallpaper"
logon_run 'C:\Images\Holiday Pictures'
assert_reg "$MURIVALE_KEY" BaseFile "$base_file"
assert_reg "$RUN_KEY" "$RUN_VALUE" "$program_folder\\Murivale.exe /p %1"
converted=$programs/ann${WALLPAPER_SUFFIX}
assert_file "$converted" "converted wallpaper"
size=$(identify -format '%wx%h' "$E2E_REPO/samples/$chosen" 2>/dev/null)
assert_eq "$size" "$(bmp_size "$converted")" "size of the converted wallpaper"

# The next desktop shows the chosen picture, centred and not scaled: the middle of the screen
# matches the picture's pixels there, and not the old wallpaper. Wine's desktop puts a picture
# larger than the screen at the top left instead of cropping its middle.
desktop_shot desktop-after-logon "$converted"
square() { # FILE LEFT TOP OUT: the 64x64 square of a picture at LEFT,TOP
  convert "$1" -crop "64x64+$2+$3" +repage -type TrueColor "png24:$4"
}
pic_w=${size%x*} pic_h=${size#*x}
at_x=$(((1024 - pic_w) / 2)) at_y=$(((768 - pic_h) / 2))
((at_x >= 0)) || at_x=0
((at_y >= 0)) || at_y=0
square "$E2E_SHOT" 480 352 "$E2E_WORK/screen-middle.png"
square "$converted" $((480 - at_x)) $((352 - at_y)) "$E2E_WORK/picture-middle.png"
square "$E2E_OUT/desktop-before-logon.png" 480 352 "$E2E_WORK/before-middle.png"
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }
shown=$(rmse "$E2E_WORK/screen-middle.png" "$E2E_WORK/picture-middle.png")
changed=$(rmse "$E2E_WORK/screen-middle.png" "$E2E_WORK/before-middle.png")
e2e_log "middle of the desktop against the picture: $shown, against the desktop before: $changed"
awk -v d="$shown" 'BEGIN { exit !(d < 0.03) }' ||
  e2e_fail "the desktop does not show the chosen picture $chosen (difference $shown)"
awk -v d="$changed" 'BEGIN { exit !(d > 0.05) }' || [ "$chosen" == checkers.bmp ] ||
  e2e_fail "the desktop looks as before the logon run (difference $changed)"

e2e_pass
