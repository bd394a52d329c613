// The wallpaper the desktop shows, as the registry names it. Both programs take it from here:
// Murivale to know which picture is on screen at start-up, Tessaban to keep the user's own
// wallpaper as the default background.
#pragma once

#include <string>

#include "services/WinApi.h"

namespace services {

// Where the shell of Windows 98 to XP keeps the wallpaper's path, and where Murivale records it.
inline constexpr wchar_t kRegDesktopWallpaper[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Desktop\\General\\Wallpaper";
// The file the desktop draws. Windows 7 and later keep only this one (often the system's own
// converted copy of the picture, a JPEG without extension).
inline constexpr wchar_t kRegControlPanelWallpaper[] =
    L"HKEY_CURRENT_USER\\Control Panel\\Desktop\\Wallpaper";

// The path of the wallpaper in place, for the user `userName`:
// - the shell's value, or where that is empty (as on Windows 7 and later), the Control Panel's;
// - but when the shell's value names Murivale's own bitmap (it ends in the user's bitmap name)
//   and the Control Panel's names another file, the user has changed the wallpaper since, in a
//   way that writes only the Control Panel's value (the settings of Windows 7 and later), and
//   the Control Panel's value is the wallpaper in place.
// The empty text when neither names one.
std::wstring ReadDesktopWallpaper(WinApi& api, const std::wstring& userName);

}  // namespace services
