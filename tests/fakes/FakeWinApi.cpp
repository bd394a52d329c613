// The recording fake of the Windows functions.
#include "tests/fakes/FakeWinApi.h"

#include <algorithm>

#include "base/CaseFold.h"
#include "services/Registry.h"

namespace fakes {

namespace {

wchar_t FoldCase(wchar_t c) {
    return base::LowerChar(c);
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return FoldCase(x) == FoldCase(y); });
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring Quoted(const std::optional<std::wstring>& text) {
    return text ? Quoted(*text) : L"null";
}

std::wstring Number(long long value) {
    return std::to_wstring(value);
}

// Handles print as signed numbers so that HWND_TOPMOST reads as -1.
std::wstring HandleText(Handle handle) {
    return Number(static_cast<std::intptr_t>(handle));
}

std::wstring BufferText(std::size_t size) {
    return L"<buffer " + Number(static_cast<long long>(size)) + L">";
}

std::wstring Call(const std::wstring& name, const std::vector<std::wstring>& args) {
    std::wstring line = name + L"(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        line += (i ? L", " : L"") + args[i];
    }
    return line + L")";
}

// Writes `text` and a terminating NUL at the start of `buffer`.
void WriteTerminated(std::wstring& buffer, const std::wstring& text) {
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = L'\0';
}

// The parent key of "A\B\C" is "A\B"; of "A" it is "" (the root).
std::wstring ParentKey(const std::wstring& key) {
    const std::size_t slash = key.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
}

}  // namespace

bool NoCaseLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](wchar_t x, wchar_t y) { return FoldCase(x) < FoldCase(y); });
}

bool FakeWinApi::KeyLess::operator()(const KeyName& a, const KeyName& b) const {
    if (a.first != b.first) {
        return a.first < b.first;
    }
    return NoCaseLess()(a.second, b.second);
}

bool FakeWinApi::Rect::operator==(const Rect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
}

void FakeWinApi::Log(const std::wstring& call) {
    calls.push_back(call);
    if (onCall) onCall(call);
}

std::vector<std::wstring> FakeWinApi::CallsTo(const std::wstring& name) const {
    std::vector<std::wstring> matching;
    const std::wstring prefix = name + L"(";
    for (const std::wstring& call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) {
            matching.push_back(call);
        }
    }
    return matching;
}

// --- version and user ---------------------------------------------------------------------

void FakeWinApi::SetVersion(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                            std::uint8_t productType, std::uint16_t suiteMask) {
    versionResult = 1;
    refuseExtendedRecord = false;
    version = services::OsVersionInfoEx{};
    version.dwPlatformId = platform;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    version.wProductType = productType;
    version.wSuiteMask = suiteMask;
}

int FakeWinApi::GetVersionExA(services::OsVersionInfoEx& info) {
    Log(Call(L"GetVersionExA", {Number(info.dwOSVersionInfoSize)}));
    versionSizeSeen = info.dwOSVersionInfoSize;
    const std::uint32_t size = info.dwOSVersionInfoSize;
    if (refuseExtendedRecord && size == sizeof(services::OsVersionInfoEx)) return 0;
    info = version;
    info.dwOSVersionInfoSize = size;
    return versionResult;
}

int FakeWinApi::GetUserNameA(std::wstring& buffer, std::uint32_t& size) {
    Log(Call(L"GetUserNameA", {BufferText(buffer.size()), Number(size)}));
    if (!userName) {
        return 0;
    }
    const std::size_t needed = userName->size() + 1;
    if (needed > size || needed > buffer.size()) {
        size = static_cast<std::uint32_t>(needed);
        return 0;
    }
    WriteTerminated(buffer, *userName);
    size = static_cast<std::uint32_t>(needed);
    return 1;
}

long FakeWinApi::SHGetFolderPathA(Handle owner, int folder, Handle token, std::uint32_t flags,
                                  std::wstring& path) {
    Log(Call(L"SHGetFolderPathA", {HandleText(owner), Number(folder), HandleText(token),
                                   Number(flags), BufferText(path.size())}));
    constexpr long kFailed = static_cast<long>(0x80004005L);  // E_FAIL
    if (!profilePath || folder != services::kCsidlProfile || profilePath->size() + 1 > path.size()) {
        return kFailed;
    }
    WriteTerminated(path, *profilePath);
    return 0;
}

std::uint32_t FakeWinApi::GetWindowsDirectoryA(std::wstring& buffer, std::uint32_t size) {
    Log(Call(L"GetWindowsDirectoryA", {BufferText(buffer.size()), Number(size)}));
    if (!windowsDir) {
        return 0;
    }
    const std::size_t needed = windowsDir->size() + 1;
    if (needed > size || needed > buffer.size()) {
        return static_cast<std::uint32_t>(
            needed);  // too small: the size needed, as the system does
    }
    WriteTerminated(buffer, *windowsDir);
    return static_cast<std::uint32_t>(windowsDir->size());
}

// --- desktop and windows ------------------------------------------------------------------

int FakeWinApi::SystemParametersInfoA(std::uint32_t action, std::uint32_t uiParam,
                                      const std::wstring& pvParam, std::uint32_t fWinIni) {
    Log(Call(L"SystemParametersInfoA",
             {Number(action), Number(uiParam), Quoted(pvParam), Number(fWinIni)}));
    if (systemParametersResult != 0 && action == services::kSpiSetDeskWallpaper) {
        wallpaper = pvParam;
    }
    return systemParametersResult;
}

int FakeWinApi::PostMessageA(Handle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
    Log(Call(L"PostMessageA", {HandleText(window), Number(message),
                               Number(static_cast<long long>(wParam)), Number(lParam)}));
    return 1;
}

Handle FakeWinApi::AddWindow(Handle parent, const std::wstring& className,
                             const std::wstring& windowName) {
    const Handle handle = nextWindow_++;
    windows_.push_back(Window{handle, parent, className, windowName});
    return handle;
}

// The first window under `parent` after `childAfter` (0: from the first) whose class and name
// match, each compared without regard to case; std::nullopt matches anything.
Handle FakeWinApi::FindChild(Handle parent, Handle childAfter,
                             const std::optional<std::wstring>& className,
                             const std::optional<std::wstring>& windowName) const {
    bool searching = childAfter == 0;
    for (const Window& window : windows_) {
        if (window.parent != parent) {
            continue;
        }
        if (!searching) {
            searching = window.handle == childAfter;
            continue;
        }
        const bool classMatches = !className || EqualsNoCase(*className, window.className);
        const bool nameMatches = !windowName || EqualsNoCase(*windowName, window.windowName);
        if (classMatches && nameMatches) {
            return window.handle;
        }
    }
    return 0;
}

Handle FakeWinApi::FindWindowA(const std::optional<std::wstring>& className,
                               const std::optional<std::wstring>& windowName) {
    Log(Call(L"FindWindowA", {Quoted(className), Quoted(windowName)}));
    return FindChild(0, 0, className, windowName);
}

Handle FakeWinApi::FindWindowExA(Handle parent, Handle childAfter,
                                 const std::optional<std::wstring>& className,
                                 const std::optional<std::wstring>& windowName) {
    Log(Call(L"FindWindowExA",
             {HandleText(parent), HandleText(childAfter), Quoted(className), Quoted(windowName)}));
    return FindChild(parent, childAfter, className, windowName);
}

Handle FakeWinApi::CreateRectRgn(int left, int top, int right, int bottom) {
    Log(Call(L"CreateRectRgn", {Number(left), Number(top), Number(right), Number(bottom)}));
    if (regionCreationFails) {
        return 0;
    }
    const Handle region = nextRegion_++;
    regions[region] = Rect{left, top, right, bottom};
    return region;
}

int FakeWinApi::SetWindowRgn(Handle window, Handle region, int redraw) {
    Log(Call(L"SetWindowRgn", {HandleText(window), HandleText(region), Number(redraw)}));
    windowRegion[window] = region;
    return 1;
}

int FakeWinApi::SetWindowPos(Handle window, Handle insertAfter, int x, int y, int cx, int cy,
                             std::uint32_t flags) {
    Log(Call(L"SetWindowPos", {HandleText(window), HandleText(insertAfter), Number(x), Number(y),
                               Number(cx), Number(cy), Number(flags)}));
    return 1;
}

// --- registry -----------------------------------------------------------------------------

void FakeWinApi::CreateKeyWithParents(RegRoot root, const std::wstring& key) {
    for (std::wstring name = key; !name.empty(); name = ParentKey(name)) {
        keys_[{root, name}];
    }
    keys_[{root, std::wstring()}];
}

void FakeWinApi::SetValue(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                          const RegData& data) {
    CreateKeyWithParents(root, key);
    keys_[{root, key}][valueName] = data;
}

std::optional<RegData> FakeWinApi::Value(RegRoot root, const std::wstring& key,
                                         const std::wstring& valueName) const {
    const auto found = keys_.find({root, key});
    if (found == keys_.end()) {
        return std::nullopt;
    }
    const auto value = found->second.find(valueName);
    if (value == found->second.end()) {
        return std::nullopt;
    }
    return value->second;
}

bool FakeWinApi::KeyExists(RegRoot root, const std::wstring& key) const {
    return keys_.count({root, key}) != 0;
}

void FakeWinApi::SetString(const std::wstring& path, const std::wstring& text) {
    const auto parsed = services::ParseRegistryPath(path);
    if (parsed) {
        SetValue(parsed->root, parsed->key, parsed->valueName, services::MakeStringData(text));
    }
}

std::optional<std::wstring> FakeWinApi::String(const std::wstring& path) const {
    const auto parsed = services::ParseRegistryPath(path);
    if (!parsed) {
        return std::nullopt;
    }
    const std::optional<RegData> data = Value(parsed->root, parsed->key, parsed->valueName);
    if (!data || data->type != services::RegType::String) {
        return std::nullopt;
    }
    return services::RegDataToText(*data);
}

bool FakeWinApi::HasValue(const std::wstring& path) const {
    const auto parsed = services::ParseRegistryPath(path);
    return parsed && Value(parsed->root, parsed->key, parsed->valueName).has_value();
}

std::optional<RegData> FakeWinApi::RegQueryValue(RegRoot root, const std::wstring& key,
                                                 const std::wstring& valueName) {
    Log(Call(L"RegQueryValue", {services::RegRootName(root), Quoted(key), Quoted(valueName)}));
    return Value(root, key, valueName);
}

bool FakeWinApi::RegSetString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                              const std::wstring& value) {
    Log(Call(L"RegSetString",
             {services::RegRootName(root), Quoted(key), Quoted(valueName), Quoted(value)}));
    if (registryRefusesChanges) {
        return false;
    }
    SetValue(root, key, valueName, services::MakeStringData(value));
    return true;
}

bool FakeWinApi::RegRemoveValue(RegRoot root, const std::wstring& key,
                                const std::wstring& valueName) {
    Log(Call(L"RegRemoveValue", {services::RegRootName(root), Quoted(key), Quoted(valueName)}));
    if (registryRefusesChanges) {
        return false;
    }
    const auto found = keys_.find({root, key});
    return found != keys_.end() && found->second.erase(valueName) != 0;
}

// --- files --------------------------------------------------------------------------------

void FakeWinApi::AddFile(const std::wstring& path) {
    files_[path] = false;
}

bool FakeWinApi::HasFile(const std::wstring& path) const {
    return files_.count(path) != 0;
}

void FakeWinApi::LockFile(const std::wstring& path) {
    files_[path] = true;
}

bool FakeWinApi::FileExists(const std::wstring& path) {
    Log(Call(L"FileExists", {Quoted(path)}));
    return HasFile(path);
}

bool FakeWinApi::RemoveFile(const std::wstring& path) {
    Log(Call(L"RemoveFile", {Quoted(path)}));
    const auto found = files_.find(path);
    if (found == files_.end() || found->second) {
        return false;
    }
    files_.erase(found);
    return true;
}

}  // namespace fakes
