#include "common/DesktopWallpaper.h"

#include "common/Registry.h"

namespace common {

std::wstring ReadDesktopWallpaper(WinApi& api) {
    std::wstring path = RegReadValue(api, kRegDesktopWallpaper);
    if (path.empty()) path = RegReadValue(api, kRegControlPanelWallpaper);
    return path;
}

}  // namespace common
