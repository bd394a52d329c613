// Host paths as the Wine tests see them.
#pragma once

#include <string>

#include "base/Text.h"

namespace wine_paths {

// A host path ("/work/...") as Wine shows it (drive Z: is the host's root).
inline std::wstring WindowsPath(const std::string& hostPath) {
    std::wstring path = base::FromUtf8(hostPath);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path.rfind(L"\\", 0) == 0 ? L"Z:" + path : path;
}

}  // namespace wine_paths
