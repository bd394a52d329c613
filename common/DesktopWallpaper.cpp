#include "common/DesktopWallpaper.h"

#include "common/Configuration.h"
#include "common/Registry.h"
#include "common/Text.h"

namespace common {

std::wstring ReadDesktopWallpaper(WinApi& api, const std::wstring& userName) {
    const std::wstring shell = RegReadValue(api, kRegDesktopWallpaper);
    const std::wstring controlPanel = RegReadValue(api, kRegControlPanelWallpaper);
    if (shell.empty()) return controlPanel;
    const std::wstring ownBitmap = WallpaperBitmapName(userName);
    const bool shellNamesOwn = EndsWith(shell, ownBitmap);
    const bool controlPanelNamesOther = !controlPanel.empty() && !EndsWith(controlPanel, ownBitmap);
    return shellNamesOwn && controlPanelNamesOther ? controlPanel : shell;
}

}  // namespace common
