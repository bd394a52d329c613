// What Murivale and Tessaban share: where the configuration lives in the registry, which files
// are images, and the names of the bitmaps kept beside the programs. Tessaban writes what
// Murivale reads, so both take these from here.
#pragma once

#include <string>

namespace services {

// Murivale's own values.
inline constexpr wchar_t kRegFolderPath[] = L"HKEY_CURRENT_USER\\Software\\Murivale\\FolderPath";
inline constexpr wchar_t kRegBaseFile[] = L"HKEY_CURRENT_USER\\Software\\Murivale\\BaseFile";
inline constexpr wchar_t kRegCurrentFile[] = L"HKEY_CURRENT_USER\\Software\\Murivale\\CurrentFile";
inline constexpr wchar_t kRegRunOnStartup[] =
    L"HKEY_CURRENT_USER\\Software\\Murivale\\RunOnStartup";
// The logon entry that starts Murivale ("<program folder>\Murivale.exe /p %1").
inline constexpr wchar_t kRegLogonEntry[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Murivale";

// The image files, by name.
inline constexpr wchar_t kImagePatterns[] = L"*.jp*g;*.gif;*.bmp;*.dib";
// The most images a folder may hold: Murivale counts and indexes its catalogue in 16-bit signed
// integers, so it refuses a larger folder, and Tessaban refuses to save one.
inline constexpr int kMaxImageFiles = 32767;

// The bitmaps in the program folder, one pair per user: the wallpaper Murivale made, and the
// default background Tessaban kept ("alice_Wallpaper.bmp", "alice_Base.bmp").
inline constexpr wchar_t kWallpaperBitmapSuffix[] = L"_Wallpaper.bmp";
inline constexpr wchar_t kBaseBitmapSuffix[] = L"_Base.bmp";
inline std::wstring WallpaperBitmapName(const std::wstring& userName) {
    return userName + kWallpaperBitmapSuffix;
}
inline std::wstring BaseBitmapName(const std::wstring& userName) { return userName + kBaseBitmapSuffix; }

}  // namespace services
