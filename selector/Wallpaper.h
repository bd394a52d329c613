// Making an image the desktop wallpaper: the choice is recorded, the image converted to a bitmap
// named after the user in the program's folder, the wallpaper values and the system pointed at
// it, the desktop refreshed when it is an HTML view, and the timer that ends the choice cycle
// started.
#pragma once

#include <stdexcept>
#include <string>

namespace selector {

class Program;

// Thrown when the wallpaper cannot be changed (an unreadable image, an unwritable program folder,
// a converted bitmap in use). The record of the current wallpaper is as it was before the call.
class WallpaperError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `fileName` is BaseFile (a full path) for the default background, otherwise a bare name in
// FolderPath, or the empty text for no wallpaper at all.
void ApplyWallpaper(Program& program, const std::wstring& fileName);

// Applies as ApplyWallpaper does. When the wallpaper cannot be changed, tells the user (except in
// a logon run, which must not wait on a dialog), closes the backdrop and gives the choice window
// back, and returns false.
bool ApplyOrReport(Program& program, const std::wstring& fileName);

// The converted bitmap's full path: the program's folder, a backslash, the login name and
// "_Wallpaper.bmp" (at a drive root the folder already ends in a backslash; one is added anyway).
std::wstring ConvertedWallpaperPath(const std::wstring& appPath, const std::wstring& userName);

}  // namespace selector
