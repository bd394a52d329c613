// The one record through which Murivale's windows share their state. It exists once per process,
// starts zero-filled (empty texts, zeros, false) and is touched only by the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Numeric.h"

namespace selector {

// Which choice is in progress.
enum : std::int16_t {
    kChoiceDefault = -1,
    kChoiceCustom = 0,
    kChoiceRandom = 1,
};

// CurrentIndex values that are no catalogue index.
constexpr std::int16_t kIndexNone = -1;         // the browser's "(None)" entry
constexpr std::int16_t kIndexNoSelection = -2;  // nothing selected

// The logon entry passes this as the value of the p switch.
inline constexpr wchar_t kLogonParam[] = L"%1";

struct SessionState {
    std::wstring WindowsDir;        // the Windows folder, no trailing backslash
    std::wstring OSType;            // "Win9x", "Win2k", ...
    base::Bool16 ActiveDesktop = base::kFalse;
    std::int16_t ChoiceMode = 0;
    std::wstring FolderPath;        // the image folder, ending in a backslash
    std::wstring BaseFile;          // full path of the default background bitmap
    std::wstring CurrentFile;       // the wallpaper now: bare name inside FolderPath, else full path
    std::int16_t CurrentIndex = 0;
    std::int16_t FileCount = 0;
    std::vector<std::wstring> ImageFiles;  // bare names, sorted
    base::Bool16 Exiting = base::kFalse;
    std::wstring StartupParam;      // value of the p switch
    std::wstring UserName;          // the login name, or "Default"

    bool IsLogonRun() const { return StartupParam == kLogonParam; }
};

}  // namespace selector
