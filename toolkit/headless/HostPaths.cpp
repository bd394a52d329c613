#include "toolkit/headless/HostPaths.h"

#include <map>
#include <mutex>
#include <vector>

#include "base/Text.h"
#include "toolkit/FileSystem.h"

namespace tk::headless {

namespace {

std::mutex& MappingMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<wchar_t, std::string>& Mappings() {
    static std::map<wchar_t, std::string> mappings;
    return mappings;
}

wchar_t DriveKey(wchar_t drive) {
    return (drive >= L'a' && drive <= L'z') ? static_cast<wchar_t>(drive - L'a' + L'A') : drive;
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The components after the drive, with "." dropped and ".." taking back the previous one.
std::vector<std::wstring> Components(const std::wstring& path) {
    std::vector<std::wstring> parts;
    std::wstring current;
    auto flush = [&] {
        if (current == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!current.empty() && current != L".") {
            parts.push_back(current);
        }
        current.clear();
    };
    for (std::size_t i = 2; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            flush();
        } else {
            current += path[i];
        }
    }
    flush();
    return parts;
}

std::string MappedFolder(const std::wstring& windowsPath, wchar_t drive) {
    const std::lock_guard<std::mutex> lock(MappingMutex());
    const auto found = Mappings().find(DriveKey(drive));
    if (found == Mappings().end()) {
        throw FileError("The drive of \"" + base::ToUtf8(windowsPath) + "\" is not available.");
    }
    return found->second;
}

}  // namespace

void MapDrive(wchar_t drive, std::string hostFolder) {
    while (hostFolder.size() > 1 && hostFolder.back() == '/') hostFolder.pop_back();
    const std::lock_guard<std::mutex> lock(MappingMutex());
    Mappings()[DriveKey(drive)] = std::move(hostFolder);
}

void ClearDriveMappings() {
    const std::lock_guard<std::mutex> lock(MappingMutex());
    Mappings().clear();
}

std::string HostPath(const std::wstring& windowsPath) {
    if (windowsPath.size() < 2 || !IsDriveLetter(windowsPath[0]) || windowsPath[1] != L':') {
        throw FileError("\"" + base::ToUtf8(windowsPath) + "\" is not a full path with a drive letter.");
    }
    std::string host = MappedFolder(windowsPath, windowsPath[0]);
    for (const std::wstring& part : Components(windowsPath)) {
        if (host.empty() || host.back() != '/') host += '/';
        host += base::ToUtf8(part);
    }
    return host;
}

}  // namespace tk::headless
