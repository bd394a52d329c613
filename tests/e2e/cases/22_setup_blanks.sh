#!/usr/bin/env bash
# The programs in a folder whose path holds blanks (C:\Program Files\Murivale Test), on
# Windows 2000: the save quotes the program in the logon entry, and the entry, started exactly
# as stored, applies a picture of the folder. The base bitmap keeps the old JPEG wallpaper; a
# second save, with Murivale's own bitmap on the desktop, keeps the picture it came from instead,
# and unticking the box removes the logon entry.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"

# --- The case ---------------------------------------------------------------------------------

setup_begin winxp 'C:\Program Files\Murivale Test'
# The same prefix reporting Windows 2000, the other system of the 2000 family.
e2e_reg_set 'HKCU\Software\Wine' Version win2k
logon_command="\"$program_folder\\Murivale.exe\" /p %1"

pictures=$drive_c/Wallpapers
mkdir -p "$pictures"
samples=(sunrise.jpg plasma-meadow.jpg stripes.gif rings.dib)
for f in "${samples[@]}"; do cp "$E2E_REPO/samples/$f" "$pictures/" || e2e_fail "cannot copy sample $f"; done
# The wallpaper in place: a JPEG, which the base bitmap keeps converted.
mkdir -p "$drive_c/Old Pictures"
cp "$E2E_REPO/samples/night-grid.jpeg" "$drive_c/Old Pictures/night.jpeg"
e2e_reg_set "$SHELL_WALLPAPER_KEY" Wallpaper 'C:\Old Pictures\night.jpeg'

bmp_size() { identify -format '%m %wx%h' "$1" 2>/dev/null | sed -n 's/^BMP[23]\{0,1\} //p' | grep . || echo "not a bitmap"; }
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/'; }
# same_picture FILE SAMPLE WHAT: FILE is a bitmap of the sample's size and looks like it (JPEG
# decoders differ a little).
same_picture() {
  local size d
  size=$(identify -format '%wx%h' "$2" 2>/dev/null)
  assert_eq "$size" "$(bmp_size "$1")" "size of $3"
  d=$(rmse "$1" "$2")
  awk -v d="$d" 'BEGIN { exit !(d < 0.02) }' || e2e_fail "$3 does not hold $(basename "$2") (difference $d)"
}

# First save: the folder, the logon box, Accept and Save.
t0=$SECONDS
setup_open
e2e_focus "$win"
focus_dir_list
open_entry Wallpapers
wait_for "the count of C:\\Wallpapers" eval 'test "$(image_count)" == "${#samples[@]}"'
e2e_keys "$win" alt+r
wait_for "the logon box to be checked" eval 'test "$(startup_box)" == checked'
e2e_keys "$win" alt+s
e2e_wait_no_window "$SETUP_TITLE" 15
e2e_wait_exit "$pid" 15 >/dev/null
e2e_log "first save took $((SECONDS - t0)) s"

base_file="$program_folder\\ann${BASE_SUFFIX}"
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Wallpapers\'
assert_reg "$MURIVALE_KEY" BaseFile "$base_file"
assert_reg "$MURIVALE_KEY" CurrentFile "$base_file"
assert_reg "$MURIVALE_KEY" RunOnStartup 1
# The program path holds blanks: the entry quotes it, or the system would look for
# C:\Program.exe first.
assert_reg "$RUN_KEY" "$RUN_VALUE" "$logon_command"
same_picture "$programs/ann${BASE_SUFFIX}" "$E2E_REPO/samples/night-grid.jpeg" "the base bitmap"

# The logon, from the entry exactly as stored.
logon_run 'C:\Wallpapers'
same_picture "$programs/ann${WALLPAPER_SUFFIX}" "$E2E_REPO/samples/$chosen" "the converted wallpaper"

# Second save, now with Murivale's own bitmap on the desktop: the window opens on the configured
# folder with the box checked; unchecked and saved, the base bitmap is made from the picture that
# bitmap came from, CurrentFile stays, RunOnStartup becomes "0" and the logon entry goes.
t0=$SECONDS
setup_open
assert_eq "Wallpapers" "$(dir_highlighted)" "folder shown when the window opens"
assert_eq "${#samples[@]}" "$(image_count)" "count of the configured folder"
assert_eq "checked" "$(startup_box)" "logon box with RunOnStartup 1"
e2e_screenshot second-open
e2e_keys "$win" alt+r
wait_for "the logon box to be unchecked" eval 'test "$(startup_box)" == unchecked'
e2e_keys "$win" alt+s
e2e_wait_no_window "$SETUP_TITLE" 15
e2e_wait_exit "$pid" 15 >/dev/null
e2e_log "second save took $((SECONDS - t0)) s"
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Wallpapers\'
assert_reg "$MURIVALE_KEY" BaseFile "$base_file"
assert_reg "$MURIVALE_KEY" CurrentFile "$current"
assert_reg "$MURIVALE_KEY" RunOnStartup 0
assert_no_reg "$RUN_KEY" "$RUN_VALUE"
same_picture "$programs/ann${BASE_SUFFIX}" "$E2E_REPO/samples/$chosen" "the base bitmap after the second save"

e2e_pass
