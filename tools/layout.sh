# The registry values and file names that both programs share, as services/Configuration.h and
# services/DesktopWallpaper.h give them: the scripts and the end-to-end cases source this file and
# so use what the programs use. Sourcing fails (returns 1, with a message) when a name cannot be
# read from the headers.
#
#   . tools/layout.sh
#
# Sets (the registry keys in the short form that `reg` takes):
#   MURIVALE_KEY         Murivale's own key (FolderPath, BaseFile, CurrentFile, RunOnStartup)
#   RUN_KEY, RUN_VALUE   the key and value of the logon entry
#   SHELL_WALLPAPER_KEY  the shell's wallpaper key (value Wallpaper)
#   DESKTOP_KEY          the Control Panel's desktop key (value Wallpaper)
#   WALLPAPER_SUFFIX     the wallpaper bitmap's name after the user's name ("_Wallpaper.bmp")
#   BASE_SUFFIX          the base bitmap's name after the user's name ("_Base.bmp")
#   IMAGE_PATTERNS       the image files by name ("*.jp*g;*.gif;*.bmp;*.dib")
# and the function reg_section KEY, which prints KEY as a .reg file's section names it.

layout_headers="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/services"

# layout_string NAME: the text of the wide string constant NAME in the shared headers, its
# escaped backslashes made single.
layout_string() {
  cat "$layout_headers/Configuration.h" "$layout_headers/DesktopWallpaper.h" | tr '\n' ' ' |
    sed -n "s/.*constexpr wchar_t $1\[\] *= *L\"\([^\"]*\)\".*/\1/p" | sed 's/\\\\/\\/g'
}

# layout_key FULL-PATH: the key part of a full value path, with HKCU for HKEY_CURRENT_USER.
layout_key() { local k=${1%\\*}; echo "HKCU${k#HKEY_CURRENT_USER}"; }

reg_section() { echo "HKEY_CURRENT_USER${1#HKCU}"; }

layout_load() {
  local folder_path run_entry shell_wallpaper desktop_wallpaper name
  folder_path=$(layout_string kRegFolderPath)
  run_entry=$(layout_string kRegLogonEntry)
  shell_wallpaper=$(layout_string kRegDesktopWallpaper)
  desktop_wallpaper=$(layout_string kRegControlPanelWallpaper)
  WALLPAPER_SUFFIX=$(layout_string kWallpaperBitmapSuffix)
  BASE_SUFFIX=$(layout_string kBaseBitmapSuffix)
  IMAGE_PATTERNS=$(layout_string kImagePatterns)
  for name in folder_path run_entry shell_wallpaper desktop_wallpaper WALLPAPER_SUFFIX BASE_SUFFIX \
              IMAGE_PATTERNS; do
    if [ -z "${!name}" ]; then
      echo "tools/layout.sh: cannot read $name from $layout_headers" >&2
      return 1
    fi
  done
  MURIVALE_KEY=$(layout_key "$folder_path")
  RUN_KEY=$(layout_key "$run_entry")
  RUN_VALUE=${run_entry##*\\}
  SHELL_WALLPAPER_KEY=$(layout_key "$shell_wallpaper")
  DESKTOP_KEY=$(layout_key "$desktop_wallpaper")
}

layout_load || return 1
