#!/usr/bin/env bash
# Tessaban's save as Windows 98 SE and Me run it (the x86 build through the 98 shim): the
# default background is the wallpaper path as the registry gives it, no base bitmap is made;
# the image count takes in a picture with a Cyrillic name, which the Western code page cannot
# spell (it is listed under its 8.3 name); and the logon entry, started as stored, applies a
# picture of the folder. No run calls anything 98 or Me lacks. Skipped for the 64-bit build.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../win98_helpers.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../setup_helpers.sh"
e2e_win98_attach
e2e_need_probe
export USER=ann

e2e_display 1024x768
for version in win98 winme; do
  e2e_win98_prefix "$version"
  e2e_reg_set 'HKCU\Software\Wine\X11 Driver' Managed N
  drive_c=$(e2e_drive_c)
  # Both attached programs (and the shim) in the program folder, started from there.
  program_folder='C:\Tools\Murivale'
  programs=$drive_c/Tools/Murivale
  mkdir -p "$programs" "$drive_c/Pictures" "$drive_c/Old"
  cp -a "$E2E_WORK/win98/." "$programs/" || e2e_fail "cannot copy the attached programs"
  E2E_WIN98_DIR=$programs
  cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/stripes.gif" "$drive_c/Pictures/"
  cp "$E2E_REPO/samples/sunrise.jpg" "$drive_c/Pictures/Зима.jpg"
  cp "$E2E_REPO/samples/checkers.bmp" "$drive_c/Old/"
  # The wallpaper as the 9x Control Panel stores it; no shell value.
  e2e_reg_delete "$SHELL_WALLPAPER_KEY" Wallpaper
  e2e_reg_set "$DESKTOP_KEY" Wallpaper 'C:\Old\checkers.bmp'

  # --- The save -----------------------------------------------------------------------------------
  e2e_win98_start Tessaban
  pid=$E2E_LAST_PID
  e2e_wait_window "$SETUP_TITLE"
  win=$E2E_WINDOW
  wait_for "the image count" eval 'test -n "$(image_count)"'
  e2e_focus "$win"
  if [ "$(dir_highlighted)" != Pictures ]; then
    focus_dir_list
    open_entry Pictures
  fi
  # Three pictures, the Cyrillic one among them.
  wait_for "the count of C:\\Pictures ($version)" eval 'test "$(image_count)" == 3'
  e2e_keys "$win" alt+r
  wait_for "the logon box to be checked" eval 'test "$(startup_box)" == checked'
  e2e_keys "$win" alt+s
  e2e_wait_no_window "$SETUP_TITLE" 15
  e2e_wait_exit "$pid" 15
  assert_eq 0 "$?" "Tessaban's exit code after the save ($version)"
  assert_no_window "Error"
  assert_reg "$MURIVALE_KEY" FolderPath 'C:\Pictures\'
  assert_reg "$MURIVALE_KEY" BaseFile 'C:\Old\checkers.bmp'
  assert_reg "$MURIVALE_KEY" CurrentFile 'C:\Old\checkers.bmp'
  assert_reg "$MURIVALE_KEY" RunOnStartup 1
  assert_reg "$RUN_KEY" "$RUN_VALUE" "$program_folder\\Murivale.exe /p %1"
  assert_no_file "$programs/ann${BASE_SUFFIX}" "base bitmap on $version"

  # --- The logon entry as stored --------------------------------------------------------------------
  # The probe starts it; the attached Murivale logs beside itself, as 98 or Me.
  log=$E2E_OUT/shim98-logon-$version.log
  E2E_WIN98_LOGS+=("$log")
  SHIM98_LOG=$(e2e_win_path "$log") SHIM98_VERSION=$E2E_WIN98_VERSION SHIM98_NO_EXIT=1 \
    e2e_start_desktop 1024x768 "$E2E_PROBE" runlogon "${RUN_KEY#HKCU\\}" "$RUN_VALUE"
  e2e_wait_exit "$E2E_LAST_PID" 90 >/dev/null
  assert_contains "$(tr -d '\r' <"$E2E_LAST_LOG")" "exit 0" "the logon command on $version"
  wineserver -w >/dev/null 2>&1
  wallpaper="$program_folder\\ann${WALLPAPER_SUFFIX}"
  assert_reg "$DESKTOP_KEY" Wallpaper "$wallpaper"
  assert_reg "$SHELL_WALLPAPER_KEY" Wallpaper "$wallpaper"
  current=$(e2e_reg_query "$MURIVALE_KEY" CurrentFile)
  [[ "$current" == 'C:\Pictures\'* && "$current" != *'?'* ]] ||
    e2e_fail "CurrentFile after the logon run on $version names no usable picture: '$current'"
  assert_eq "BM" "$(head -c 2 "$programs/ann${WALLPAPER_SUFFIX}")" "signature of the wallpaper bitmap on $version"
  assert_reg "$MURIVALE_KEY" BaseFile 'C:\Old\checkers.bmp'
  e2e_log "$version: the logon run chose ${current##*\\}"
done

e2e_win98_check_logs
e2e_pass
