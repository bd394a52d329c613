#!/usr/bin/env bash
# The base bitmap belongs to the 2000 family only: saved on Windows 7 and on Windows 98, BaseFile
# is the wallpaper path as the registry gives it (empty when there is none) and no bitmap is
# made; the same prefix reporting Windows XP makes it, with the placeholder in the path replaced.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"

# --- The case ---------------------------------------------------------------------------------

export USER=ann
e2e_display 1024x768
setup_prefix winxp
probe_build
drive_c=$(e2e_drive_c)
programs=$drive_c/Tools/Murivale
install_programs "$programs"
mkdir -p "$drive_c/Pictures" "$drive_c/Old"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/rings.dib" "$drive_c/Pictures/"
cp "$E2E_REPO/samples/checkers.bmp" "$drive_c/Old/"
general="$SHELL_WALLPAPER_KEY"

# save_on VERSION: sets the reported version, picks C:\Pictures, ticks the box and saves.
save_on() {
  local t0=$SECONDS
  e2e_reg_set 'HKCU\Software\Wine' Version "$1"
  e2e_start "$programs/Tessaban.exe"
  pid=$E2E_LAST_PID
  e2e_wait_window "$SETUP_TITLE"
  win=$E2E_WINDOW
  wait_for "the image count" eval 'test -n "$(image_count)"'
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

# Windows 7: BaseFile is the wallpaper path exactly as the registry gives it, placeholder and
# all, and no bitmap is made.
e2e_reg_set "$general" Wallpaper '%SystemDrive%\Old\checkers.bmp'
save_on win7
assert_reg "$MURIVALE_KEY" FolderPath 'C:\Pictures\'
assert_reg "$MURIVALE_KEY" BaseFile '%SystemDrive%\Old\checkers.bmp'
assert_reg "$MURIVALE_KEY" CurrentFile '%SystemDrive%\Old\checkers.bmp'
assert_reg "$RUN_KEY" "$RUN_VALUE" 'C:\Tools\Murivale\Murivale.exe /p %1'
assert_no_file "$programs/ann${BASE_SUFFIX}" "base bitmap on Windows 7"

# Windows 98 with no wallpaper value: BaseFile is written empty, CurrentFile (set before) stays,
# and still no bitmap.
e2e_reg_delete "$general" Wallpaper
save_on win98
assert_reg "$MURIVALE_KEY" BaseFile ''
assert_reg "$MURIVALE_KEY" CurrentFile '%SystemDrive%\Old\checkers.bmp'
assert_reg "$MURIVALE_KEY" RunOnStartup 1
assert_no_file "$programs/ann${BASE_SUFFIX}" "base bitmap on Windows 98"

# Windows XP, same wallpaper value as on Windows 7: now the placeholder is replaced, the bitmap
# is made and BaseFile names it.
e2e_reg_set "$general" Wallpaper '%SystemDrive%\Old\checkers.bmp'
save_on winxp
assert_reg "$MURIVALE_KEY" BaseFile "C:\\Tools\\Murivale\\ann${BASE_SUFFIX}"
assert_file "$programs/ann${BASE_SUFFIX}" "base bitmap on Windows XP"
differing=$(compare -metric AE "$programs/ann${BASE_SUFFIX}" "$E2E_REPO/samples/checkers.bmp" null: 2>&1)
assert_eq "0" "$differing" "pixels of the base bitmap that differ from the wallpaper"

e2e_pass
