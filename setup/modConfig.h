// Tessaban's program module: its state, the Windows functions, and the registry layout of the
// whole system's configuration.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "services/Configuration.h"
#include "services/DesktopWallpaper.h"
#include "services/WinApi.h"

namespace setup {

// Tessaban's state; all texts, all empty at the start.
struct SetupState {
    std::wstring WindowsDir;
    std::wstring ProfileDir;
    std::wstring UserName;
    std::wstring OSType;
    std::wstring FolderPath;  // the chosen folder, ending in a backslash
    std::wstring BaseFile;    // what is saved as the default background
};

using services::kRegBaseFile;
using services::kRegCurrentFile;
using services::kRegFolderPath;
using services::kRegLogonEntry;
using services::kRegRunOnStartup;
using services::kRegControlPanelWallpaper;
using services::kRegDesktopWallpaper;
inline constexpr wchar_t kRegProgramFilesDir[] =
    L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir";

using services::kMaxImageFiles;
using services::kImagePatterns;

class SetupProgram {
public:
    explicit SetupProgram(services::WinApi& winApi) : api(winApi) {}
    services::WinApi& api;
    SetupState state;
};

// The program of this process; StartSetup makes a fresh one (once per case in the tests).
SetupProgram& Setup();
void StartSetup(services::WinApi& api);
void EndSetup();

// The command the logon entry runs: Murivale's program file in `programFolder`, then " /p %1".
// A path with a blank is quoted, so that the system cannot take a shorter path for the program.
std::wstring LogonCommand(const std::wstring& programFolder);

// The base bitmap: the login name and "_Base.bmp" in the program folder, every pair of
// backslashes made one (a drive root's "C:\\" + "\\" gives "C:\\x_Base.bmp"). The two backslashes
// that open a network path are kept.
std::wstring BaseBitmapPath(const std::wstring& programFolder, const std::wstring& userName);

// `path` with the placeholders the system stores in wallpaper paths replaced, each only where it
// is spelled exactly so: %SystemRoot%, %SystemDrive%, %ProgramFiles%, %USERPROFILE%.
std::wstring ExpandPlaceholders(const std::wstring& path, const SetupState& state,
                                const std::wstring& programFiles);

// The Program Files folder: as the system records it, else the system drive's "Program Files".
std::wstring ProgramFilesFolder(services::WinApi& api, const std::wstring& windowsDir);

// The number a text stands for, rounded to a 16-bit whole number (halves to even); nothing for a
// text that is no number or a number outside the 16-bit range.
std::optional<std::int16_t> ParseInt16(const std::wstring& text);

}  // namespace setup
