#include "services/DesktopWallpaper.h"

#include "base/Text.h"
#include "services/Configuration.h"
#include "services/Registry.h"

namespace services {

std::wstring ReadDesktopWallpaper(WinApi& api, const std::wstring& userName) {
    const std::wstring shell = RegReadValue(api, kRegDesktopWallpaper);
    const std::wstring controlPanel = RegReadValue(api, kRegControlPanelWallpaper);
    if (shell.empty()) return controlPanel;
    const std::wstring ownBitmap = WallpaperBitmapName(userName);
    const bool shellNamesOwn = base::EndsWith(shell, ownBitmap);
    const bool controlPanelNamesOther = !controlPanel.empty() && !base::EndsWith(controlPanel, ownBitmap);
    return shellNamesOwn && controlPanelNamesOther ? controlPanel : shell;
}

}  // namespace services
