#!/usr/bin/env bash
# Every NT release keeps its own copy of the wallpaper as the base bitmap, whatever version it
# reports to Tessaban: on Windows 10 the system's converted copy (a file without extension, read
# by its content) and a plain-colour desktop (a blank bitmap) alike; Windows 7 and XP replace the
# placeholder in the path. Only Windows 98 records the wallpaper path as the registry gives it
# (empty when there is none) and makes no bitmap.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"

# --- The case ---------------------------------------------------------------------------------

setup_begin winxp 'C:\Tools\Murivale'
mkdir -p "$drive_c/Pictures" "$drive_c/Old"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/rings.dib" "$drive_c/Pictures/"
cp "$E2E_REPO/samples/checkers.bmp" "$drive_c/Old/"
general="$SHELL_WALLPAPER_KEY"

# save_on VERSION: sets the reported version, picks C:\Pictures, ticks the box and saves.
save_on() {
  local t0=$SECONDS
  e2e_reg_set 'HKCU\Software\Wine' Version "$1"
  setup_open
  e2e_focus "$win"
  if [ "$(dir_highlighted)" != Pictures ]; then
    focus_dir_list
    open_entry Pictures
  fi
  wait_for "the count of C:\\Pictures" eval 'test "$(image_count)" == 2'
  [ "$(startup_box)" == checked ] || e2e_keys "$win" alt+r
  wait_for "the logon box to be checked" eval 'test "$(startup_box)" == checked'
  e2e_keys "$win" alt+s
  e2e_wait_no_window "$SETUP_TITLE" 15
  e2e_wait_exit "$pid" 15 >/dev/null
  assert_no_window "Error"
  e2e_log "save on $1 took $((SECONDS - t0)) s"
}

base="C:\\Tools\\Murivale\\ann${BASE_SUFFIX}"
# same_pixels PICTURE WHAT: the base bitmap holds exactly the pixels of PICTURE.
same_pixels() {
  local differing
  differing=$(compare -metric AE "$programs/ann${BASE_SUFFIX}" "$1" null: 2>&1)
  assert_eq "0" "$differing" "pixels of the base bitmap that differ from the wallpaper ($2)"
}

# Windows 10, where the settings write only the Control Panel's value, often naming the
# system's converted copy of the picture, which it rewrites at every wallpaper change.
themes=$drive_c/users/ann/AppData/Roaming/Microsoft/Windows/Themes
mkdir -p "$themes"
cp "$E2E_REPO/samples/stripes.gif" "$themes/TranscodedWallpaper"
e2e_reg_set "$DESKTOP_KEY" Wallpaper 'C:\users\ann\AppData\Roaming\Microsoft\Windows\Themes\TranscodedWallpaper'
save_on win10
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Pictures\'
assert_reg "$MURIVALE_KEY" BaseFile "$base"
assert_reg "$MURIVALE_KEY" CurrentFile "$base"
assert_reg "$RUN_KEY" "$RUN_VALUE" 'C:\Tools\Murivale\Murivale.exe /p %1'
same_pixels "$E2E_REPO/samples/stripes.gif" "Windows 10"

# Windows 10 with a plain-colour desktop: a blank base bitmap, still a complete configuration.
e2e_reg_set "$DESKTOP_KEY" Wallpaper ''
save_on win10
assert_reg "$MURIVALE_KEY" BaseFile "$base"
assert_eq "1" "$(identify -format '%k' "$programs/ann${BASE_SUFFIX}" 2>/dev/null)" "colours in the blank base bitmap"

# Windows 98 with no wallpaper value: BaseFile is written empty, CurrentFile (set before) stays,
# and the bitmap of the NT saves is not touched.
e2e_reg_delete "$DESKTOP_KEY" Wallpaper
rm -f "$programs/ann${BASE_SUFFIX}"
save_on win98
assert_reg "$MURIVALE_KEY" BaseFile ''
assert_reg "$MURIVALE_KEY" CurrentFile "$base"
assert_reg "$MURIVALE_KEY" RunOnStartup 1
assert_no_file "$programs/ann${BASE_SUFFIX}" "base bitmap on Windows 98"

# Windows 7 and XP, with a placeholder in the shell's value: replaced, and the bitmap is made.
e2e_reg_set "$general" Wallpaper '%SystemDrive%\Old\checkers.bmp'
for version in win7 winxp; do
  rm -f "$programs/ann${BASE_SUFFIX}"
  save_on "$version"
  assert_reg "$MURIVALE_KEY" BaseFile "$base"
  same_pixels "$E2E_REPO/samples/checkers.bmp" "$version"
done

e2e_pass
