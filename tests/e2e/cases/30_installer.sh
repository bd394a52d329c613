#!/usr/bin/env bash
# The per-user installer under Wine, from installation to removal:
#   - a silent installation puts both programs into one folder under the user's local
#     application data, the Start-menu entries and the uninstall entry in place;
#   - Tessaban, started from there, saves a configuration whose logon entry, started by Wine's
#     own logon processing (wineboot runs the Run entries as Windows does at logon), changes the
#     wallpaper;
#   - the silent uninstallation leaves no program, no logon entry and no bitmap behind and
#     keeps the configuration; /PURGE removes it too, and a logon entry of another copy of
#     Murivale is left alone.
# The installer is the one users download: 32-bit, carrying both builds, and it must install
# the build that fits the system. Against dist/x64 the case runs it on a 64-bit Windows, where
# it must install the 64-bit programs; against dist/x86, on a 32-bit-only Windows, where it must
# install the 32-bit ones. The installer is the release file in dist/ when it has been built
# (tools/run-tests.sh does), else one built here from the same two folders.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../installer_helpers.sh"
installer_find
file "$setup" | grep -q 'PE32 executable.*Intel 80386' ||
  e2e_fail "the installer for users is not a 32-bit program: $(file -b "$setup")"
case "$E2E_WINEARCH" in
  win32) expected_pe='PE32 executable' ;;
  *) expected_pe='PE32\+ executable' ;;
esac

e2e_setup winxp
installer_locations

run_key="$RUN_KEY"
config_key="$MURIVALE_KEY"
uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Murivale'
tessaban_title='Tessaban - Setup Program for Murivale'
start_menu=$(e2e_drive_c)/users/$user/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Murivale

# --- Installation into the default folder ---------------------------------------------------
install
assert_reg "$uninst_key" InstallLocation "$default_dir"
dir_unix=$(unix_path "$default_dir")
for f in Murivale.exe Tessaban.exe Uninstall.exe ReadMe.txt; do
  assert_file "$dir_unix/$f" "installed $f"
done
for f in Murivale Tessaban; do
  # The build that fits the system, byte for byte.
  cmp -s "$E2E_DIST/$f.exe" "$dir_unix/$f.exe" || e2e_fail "the installed $f.exe differs from $E2E_DIST/$f.exe"
  file "$dir_unix/$f.exe" | grep -qE "$expected_pe" || e2e_fail "the installed $f.exe is $(file -b "$dir_unix/$f.exe")"
  assert_file "$start_menu/$f.lnk" "Start-menu entry for $f"
done
# On XP the programs run as they are: no compatibility mode is set.
assert_no_reg 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers' "$default_dir\\Murivale.exe"
assert_reg "$uninst_key" UninstallString "\"$default_dir\\Uninstall.exe\""
assert_reg "$uninst_key" QuietUninstallString "\"$default_dir\\Uninstall.exe\" /S"

# --- Tessaban from the installed folder ------------------------------------------------------
# Two sample images in a folder of their own; Tessaban opens on the configured folder.
pictures=$(e2e_drive_c)/users/$user/Pictures
[ -L "$pictures" ] && rm -f "$pictures"
mkdir -p "$pictures/Walls"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/stripes.gif" "$pictures/Walls/"
folder="C:\\users\\$user\\Pictures\\Walls\\"

# save_in_tessaban DIR: starts DIR's Tessaban, ticks the logon box (which must be unticked) and
# saves; the window closes and the program ends.
save_in_tessaban() {
  e2e_reg_set "$config_key" FolderPath "$folder"
  wineserver -w
  local pid win unticked
  e2e_open "$tessaban_title" "$(unix_path "$1\\Tessaban.exe")"
  e2e_wait_painted "$win" 30
  unticked=$(e2e_region_sum $(e2e_window_geometry "$win")) || e2e_fail "cannot read the screen"
  e2e_keys "$win" alt+r
  # The box shows its tick: the window changes, then holds still.
  e2e_wait_until 20 "Tessaban ($2) ticks the logon box" e2e_region_changed "$unticked" $(e2e_window_geometry "$win")
  e2e_wait_painted "$win" 30
  e2e_screenshot "tessaban-$2"
  e2e_keys "$win" alt+s
  e2e_wait_no_window "$tessaban_title" 20
  e2e_wait_exit "$pid" 20 >/dev/null || true
  wineserver -w
}

save_in_tessaban "$default_dir" installed
logon_entry="$default_dir\\Murivale.exe /p %1"
assert_reg "$run_key" Murivale "$logon_entry"
assert_reg "$config_key" RunOnStartup 1
assert_reg "$config_key" FolderPath "$folder"
assert_reg "$config_key" BaseFile "$default_dir\\${user}${BASE_SUFFIX}"
assert_file "$dir_unix/${user}${BASE_SUFFIX}" "the base bitmap in the program folder"

# --- The logon ----------------------------------------------------------------------------------
# Wine's boot program, run plainly on a fresh session, starts the Run entries as Windows does at
# logon: the stored command line, as it stands, handed to CreateProcess.
wineserver -k
wineserver -w
E2E_LOG_SEQ=$((E2E_LOG_SEQ + 1))
timeout 60 wineboot </dev/null >"$E2E_OUT/wine-$E2E_LOG_SEQ-wineboot.log" 2>&1
wineserver -w
wallpaper_bmp="$default_dir\\${user}${WALLPAPER_SUFFIX}"
assert_file "$dir_unix/${user}${WALLPAPER_SUFFIX}" "the wallpaper bitmap made at logon"
assert_reg "$DESKTOP_KEY" Wallpaper "$wallpaper_bmp"
current=$(e2e_reg_query "$config_key" CurrentFile) || e2e_fail "CurrentFile is missing after the logon"
case "$current" in
  sunrise.jpg | stripes.gif | "${folder}sunrise.jpg" | "${folder}stripes.gif") ;;
  *) e2e_fail "CurrentFile after the logon names no image of the folder: '$current'" ;;
esac
e2e_log "the logon run applied $current"

# --- Silent removal: the configuration stays --------------------------------------------------
uninstall "$default_dir"
for f in Murivale.exe Tessaban.exe Uninstall.exe ReadMe.txt "${user}${WALLPAPER_SUFFIX}" "${user}${BASE_SUFFIX}"; do
  assert_no_file "$dir_unix/$f" "after the removal, $f"
done
assert_no_file "$dir_unix" "after the removal, the program folder"
assert_no_file "$start_menu" "after the removal, the Start-menu folder"
assert_no_reg "$run_key" Murivale
e2e_reg_query "$uninst_key" DisplayName >/dev/null && e2e_fail "the uninstall entry is still there"
assert_reg "$config_key" FolderPath "$folder"
# The logon entry is gone, and the configuration says so.
assert_reg "$config_key" RunOnStartup 0

# --- A folder with a blank, and removal with /PURGE ---------------------------------------------
blank_dir="C:\\users\\$user\\My Programs\\Murivale"
# /D= takes the rest of the command line, blanks and all, without quotes; wine would quote one
# argument with a blank, so the folder goes in as two that wine joins with a blank.
install "/D=${blank_dir% *}" "${blank_dir##* }"
assert_reg "$uninst_key" InstallLocation "$blank_dir"
save_in_tessaban "$blank_dir" blank-folder
# Tessaban quotes a path with a blank; the uninstaller knows that form as its own too.
assert_reg "$run_key" Murivale "\"$blank_dir\\Murivale.exe\" /p %1"
assert_file "$(unix_path "$blank_dir")/${user}${BASE_SUFFIX}" "the base bitmap in the folder with a blank"
uninstall "$blank_dir" /PURGE
assert_no_file "$(unix_path "$blank_dir")" "after the removal, the folder with a blank"
assert_no_reg "$run_key" Murivale
e2e_reg_query "$config_key" FolderPath >/dev/null && e2e_fail "/PURGE left the configuration in place"

# --- A logon entry of another copy stays ----------------------------------------------------------
install
other="Z:\\opt\\portable\\Murivale.exe /p %1"
e2e_reg_set "$run_key" Murivale "$other"
e2e_reg_set "$config_key" RunOnStartup 1
uninstall "$default_dir"
assert_no_file "$dir_unix" "after the removal, the program folder"
assert_reg "$run_key" Murivale "$other"
assert_reg "$config_key" RunOnStartup 1

e2e_pass
