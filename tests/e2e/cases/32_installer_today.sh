#!/usr/bin/env bash
# The installer and both programs on a Windows of today (Wine set to Windows 10), where Murivale
# runs only in the system's Windows XP compatibility mode:
#   - the silent installation sets that mode for the installed Murivale.exe (the value the
#     Compatibility tab writes, "~ WINXPSP3" from Windows 8 on), and nothing else in that key;
#   - the desktop as Windows 7 and later keep it: no shell wallpaper value, the Control Panel
#     value naming the system's converted copy of the user's picture (a JPEG without
#     extension). Tessaban keeps a copy of that picture as the default background (the base
#     bitmap); Murivale, run as the layer makes Windows run it (Wine's per-program version set to
#     XP), changes the wallpaper at logon, Windows rewrites its converted copy for the new
#     wallpaper, and "Use Default Background" still brings the user's own picture back;
#   - the silent removal deletes exactly the value it wrote; /NOCOMPAT writes none.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"

. "$(dirname "${BASH_SOURCE[0]}")/../installer_helpers.sh"
installer_find

e2e_setup win10
layers='HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers'
config_key="$MURIVALE_KEY"
tessaban_title='Tessaban - Setup Program for Murivale'
installer_locations
dir=$default_dir
murivale="$dir\\Murivale.exe"

# Another program's compatibility mode, which the installer and the uninstaller leave alone.
other='C:\Games\Old Game\game.exe'
e2e_reg_set "$layers" "$other" "~ WIN98"

# --- The installation sets the mode -------------------------------------------------------------
install
assert_reg "$layers" "$murivale" "~ WINXPSP3"
assert_reg "$layers" "$other" "~ WIN98"
dir_unix=$(unix_path "$dir")
assert_file "$dir_unix/Murivale.exe" "installed Murivale.exe"

# --- The desktop as Windows 10 keeps it ---------------------------------------------------------
themes=$(e2e_drive_c)/users/$user/AppData/Roaming/Microsoft/Windows/Themes
mkdir -p "$themes"
cp "$E2E_REPO/samples/plasma-meadow.jpg" "$themes/TranscodedWallpaper"
transcoded="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper"
e2e_reg_delete "$SHELL_WALLPAPER_KEY" Wallpaper
e2e_reg_set "$DESKTOP_KEY" Wallpaper "$transcoded"
pictures=$(e2e_drive_c)/users/$user/Pictures
[ -L "$pictures" ] && rm -f "$pictures"
mkdir -p "$pictures/Walls"
cp "$E2E_REPO/samples/sunrise.jpg" "$E2E_REPO/samples/stripes.gif" "$pictures/Walls/"
folder="C:\\users\\$user\\Pictures\\Walls\\"

# Tessaban, which runs without the layer, keeps the picture on the desktop as the default.
e2e_reg_set "$config_key" FolderPath "$folder"
wineserver -w
e2e_open "$tessaban_title" "$dir_unix/Tessaban.exe"
e2e_keys "$win" alt+s
e2e_wait_no_window "$tessaban_title" 20
e2e_wait_exit "$pid" 20 >/dev/null || true
wineserver -w
assert_no_window "Error"
assert_reg "$config_key" BaseFile "$dir\\${user}${BASE_SUFFIX}"

# --- Murivale as the compatibility mode runs it ---------------------------------------------------
e2e_reg_set 'HKCU\Software\Wine\AppDefaults\Murivale.exe' Version winxp
e2e_run "$dir_unix/Murivale.exe" /p %1
assert_eq 0 "$?" "exit code of the logon run"
wineserver -w
bitmap="$dir\\${user}${WALLPAPER_SUFFIX}"
assert_reg "$DESKTOP_KEY" Wallpaper "$bitmap"
current=$(e2e_reg_query "$config_key" CurrentFile) || e2e_fail "CurrentFile is missing after the logon run"
case "$current" in
  sunrise.jpg | stripes.gif | "${folder}sunrise.jpg" | "${folder}stripes.gif") ;;
  *) e2e_fail "CurrentFile after the logon run names no image of the folder: '$current'" ;;
esac
e2e_log "the logon run applied $current"
# Windows rewrites its converted copy at every wallpaper change, Murivale's own included.
cp "$E2E_REPO/samples/sunrise.jpg" "$themes/TranscodedWallpaper"

# "Use Default Background" (the second button) shows the user's own picture again.
e2e_open Murivale "$dir_unix/Murivale.exe"
read -r x y w h <<<"$(e2e_window_geometry "$win")"
border=$(((w - 161) / 2))
e2e_click $((x + border + 80)) $((y + h - 137 - border + 8 + 32 + 12))
e2e_wait_exit "$pid" 30
assert_eq 0 "$?" "exit code after Use Default Background"
wineserver -w
assert_reg "$DESKTOP_KEY" Wallpaper "$bitmap"
meadow_size=$(identify -format '%wx%h' "$E2E_REPO/samples/plasma-meadow.jpg")
assert_eq "$meadow_size" "$(identify -format '%wx%h' "bmp:$dir_unix/${user}${WALLPAPER_SUFFIX}")" \
  "size of the wallpaper bitmap after Use Default Background"
difference=$(compare -metric RMSE "$E2E_REPO/samples/plasma-meadow.jpg" "bmp:$dir_unix/${user}${WALLPAPER_SUFFIX}" null: 2>&1 |
  sed 's/.*(\(.*\)).*/\1/')
e2e_log "the default background against the user's picture: $difference"
awk -v d="$difference" 'BEGIN { exit !(d < 0.02) }' ||
  e2e_fail "the default background is not the user's own picture (difference $difference)"

# --- The removal deletes exactly that value; /NOCOMPAT writes none ---------------------------------
uninstall "$dir"
assert_no_reg "$layers" "$murivale"
assert_reg "$layers" "$other" "~ WIN98"
install /NOCOMPAT
assert_file "$dir_unix/Murivale.exe" "Murivale.exe installed with /NOCOMPAT"
assert_no_reg "$layers" "$murivale"
uninstall "$dir"
assert_no_file "$dir_unix" "after the removal, the program folder"

e2e_pass
