#include "selector/Wallpaper.h"

#include <optional>

#include "base/Text.h"
#include "selector/frmBG.h"
#include "selector/frmBack.h"
#include "selector/modMain.h"
#include "services/Registry.h"
#include "toolkit/App.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Image.h"

namespace selector {
namespace {

constexpr std::intptr_t kF5KeyData = 0x3F0001;  // repeat count 1, scan code 0x3F

services::Handle FindDesktopIconView(services::WinApi& api) {
    services::Handle h = api.FindWindowExA(0, 0, std::wstring(L"Progman"), std::nullopt);
    h = api.FindWindowExA(h, 0, std::wstring(L"SHELLDLL_DefView"), std::nullopt);
    return api.FindWindowExA(h, 0, std::wstring(L"SysListView32"), std::nullopt);
}

// The image to convert, or nothing when the wallpaper is to be removed.
std::optional<std::wstring> SourceImage(const SessionState& state, const std::wstring& fileName) {
    if (state.ChoiceMode == kChoiceDefault) {
        if (state.BaseFile.empty()) return std::nullopt;
        return state.BaseFile;
    }
    if (fileName.empty()) return std::nullopt;
    return state.FolderPath + fileName;
}

// Converts the image into the user's wallpaper bitmap; returns the bitmap's path.
std::wstring InstallConvertedBitmap(Program& program, const std::wstring& source) {
    const SessionState& state = program.state;
    frmBack& back = *program.backdrop;
    try {
        back.BGPic.LoadPicture(source);
    } catch (const std::exception& error) {
        throw WallpaperError("The picture " + base::ToUtf8(source) + " could not be loaded: " +
                             error.what());
    }
    const std::wstring path = ConvertedWallpaperPath(tk::App::Path(), state.UserName);
    try {
        back.BGPic.SavePicture(path);  // beside the old one first, then in its place
    } catch (const std::exception& error) {
        throw WallpaperError("The wallpaper bitmap " + base::ToUtf8(path) +
                             " could not be written: " + error.what());
    }
    return path;
}

// Deletes the user's wallpaper bitmap. A bitmap that is not there is no failure: the wallpaper is
// removed all the same.
void RemoveConvertedBitmap(Program& program) {
    const std::wstring path = ConvertedWallpaperPath(tk::App::Path(), program.state.UserName);
    if (program.api.FileExists(path) && !program.api.RemoveFile(path)) {
        throw WallpaperError("The wallpaper bitmap " + base::ToUtf8(path) +
                             " is in use and cannot be deleted.");
    }
}

// Both wallpaper values name `path` (the empty text: no wallpaper).
void PointWallpaperValuesAt(services::WinApi& api, const std::wstring& path) {
    services::RegWriteValue(api, kRegDesktopWallpaper, path);
    services::RegWriteValue(api, kRegControlPanelWallpaper, path);
}

}  // namespace

std::wstring ConvertedWallpaperPath(const std::wstring& appPath, const std::wstring& userName) {
    return appPath + L"\\" + services::WallpaperBitmapName(userName);
}

void ApplyWallpaper(Program& program, const std::wstring& fileName) {
    SessionState& state = program.state;
    services::WinApi& api = program.api;
    const services::Handle iconView = FindDesktopIconView(api);
    // The record changes only once the new bitmap is in place: a run ended before then (a forced
    // log-off, a power cut) leaves both as they were, and so does a change that fails. The file
    // and the registry cannot change in one step: a run ended in the moment between the two
    // leaves the record naming the picture before, until the next change.
    std::wstring wallpaper;
    try {
        if (const auto source = SourceImage(state, fileName)) {
            wallpaper = InstallConvertedBitmap(program, *source);
        } else {
            RemoveConvertedBitmap(program);
        }
    } catch (const std::exception& error) {
        throw WallpaperError(error.what());
    }
    state.CurrentFile = fileName;
    services::RegWriteValue(api, kRegCurrentFile,
                          state.ChoiceMode == kChoiceDefault ? fileName
                                                             : state.FolderPath + fileName);
    PointWallpaperValuesAt(api, wallpaper);

    api.SystemParametersInfoA(services::kSpiSetDeskWallpaper, 0, wallpaper,
                              services::kSpifUpdateIniFile | services::kSpifSendWinIniChange);
    if (state.ActiveDesktop != base::kFalse) {
        api.PostMessageA(iconView, services::kWmKeyDown, services::kVkF5, kF5KeyData);
        program.backdrop->Timer1.SetRunning(true);
    } else {
        program.choice->Timer1.SetRunning(true);
    }
}

bool ApplyOrReport(Program& program, const std::wstring& fileName) {
    try {
        ApplyWallpaper(program, fileName);
        return true;
    } catch (const WallpaperError& error) {
        if (!program.state.IsLogonRun()) {
            tk::MsgBox(L"The wallpaper could not be changed.\r\n\r\n" + base::FromUtf8(error.what()),
                       tk::kMbIconExclamation, kAppTitle);
        }
        // The backdrop's closing gives the choice window back; without one, do it here.
        if (program.backdrop.IsLoaded()) {
            program.backdrop.Unload();
        } else if (program.choice) {
            program.choice->EnableButtons();
        }
        return false;
    }
}

}  // namespace selector
