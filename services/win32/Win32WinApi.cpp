// The real WinApi: each method is the Windows function of its name, in its wide form where there
// is one, so that names outside the system code page survive. Registry values are reached through
// the registry functions directly; their data goes back raw, and the portable code turns it into
// text.
#include <windows.h>
// after <windows.h>, which it needs
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// <windows.h> renames RegQueryValue (a method below) to RegQueryValueW.
#undef RegQueryValue

#include "base/win32/Handles.h"
#include "services/WinApi.h"

namespace services {

namespace {

using base::win32::UniqueHKey;

// The version record is copied byte for byte to and from the system's own structure.
static_assert(std::is_trivially_copyable_v<OsVersionInfoEx>, "version record is plain data");
static_assert(sizeof(OSVERSIONINFOEXA) == sizeof(OsVersionInfoEx), "version record size");
static_assert(offsetof(OSVERSIONINFOEXA, dwMajorVersion) ==
                  offsetof(OsVersionInfoEx, dwMajorVersion),
              "version record layout");
static_assert(offsetof(OSVERSIONINFOEXA, dwPlatformId) == offsetof(OsVersionInfoEx, dwPlatformId),
              "version record layout");
static_assert(offsetof(OSVERSIONINFOEXA, szCSDVersion) == offsetof(OsVersionInfoEx, szCSDVersion),
              "version record layout");
static_assert(offsetof(OSVERSIONINFOEXA, wSuiteMask) == offsetof(OsVersionInfoEx, wSuiteMask),
              "version record layout");
static_assert(offsetof(OSVERSIONINFOEXA, wProductType) == offsetof(OsVersionInfoEx, wProductType),
              "version record layout");

constexpr std::size_t kMaxPathChars = MAX_PATH;

HWND AsWindow(Handle handle) {
    return reinterpret_cast<HWND>(handle);
}
Handle AsHandle(const void* handle) {
    return reinterpret_cast<Handle>(handle);
}

const wchar_t* OptionalText(const std::optional<std::wstring>& text) {
    return text ? text->c_str() : nullptr;
}

HKEY RootKey(RegRoot root) {
    switch (root) {
        case RegRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegRoot::Users:
            return HKEY_USERS;
        case RegRoot::CurrentConfig:
            return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

// The registry as the system itself sees it. A 32-bit program on 64-bit Windows is otherwise
// shown a 32-bit view of some keys: HKEY_LOCAL_MACHINE\Software there names "Program Files
// (x86)" as the program folder, while a wallpaper path the system stored with %ProgramFiles%
// means the 64-bit one. Both builds therefore read and write the same values. IsWow64Process is
// looked up, not imported: Windows 2000 and the first XP releases do not have it, and there is
// no other view there.
REGSAM SystemView() {
    static const REGSAM view = [] {
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
        const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        const auto isWow64Process =
            kernel ? reinterpret_cast<IsWow64ProcessFn>(
                         reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")))
                   : nullptr;
        BOOL wow64 = FALSE;
        if (isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64) {
            return static_cast<REGSAM>(KEY_WOW64_64KEY);
        }
        return static_cast<REGSAM>(0);
    }();
    return view;
}

// The value's type and bytes from an open key; std::nullopt when it is missing or unreadable.
// The size is asked first; a value that grows between the two calls is asked for again.
std::optional<RegData> QueryValue(HKEY key, const std::wstring& valueName) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; attempt < 4 && status == ERROR_SUCCESS; ++attempt) {
        std::vector<std::uint8_t> bytes(size);
        status = ::RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                                    bytes.empty() ? nullptr : bytes.data(), &size);
        if (status == ERROR_SUCCESS) {
            bytes.resize(size);
            return RegData{static_cast<RegType>(type), std::move(bytes)};
        }
        if (status == ERROR_MORE_DATA) {
            status = ERROR_SUCCESS;  // try again with the size just reported
        }
    }
    return std::nullopt;
}

class Win32WinApi final : public WinApi {
public:
    int GetVersionExA(OsVersionInfoEx& info) override {
        OSVERSIONINFOEXA record;
        std::memcpy(&record, &info, sizeof record);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
        const BOOL result = ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif
        std::memcpy(static_cast<void*>(&info), &record, sizeof record);
        return result;
    }

    // The call never writes past `size` characters nor past the end of the buffer.
    int GetUserNameA(std::wstring& buffer, std::uint32_t& size) override {
        DWORD capacity = static_cast<DWORD>(std::min<std::size_t>(size, buffer.size()));
        const BOOL result = ::GetUserNameW(buffer.data(), &capacity);
        size = capacity;
        return result;
    }

    // The system may write a full path; a shorter buffer is grown to the path limit first.
    long SHGetFolderPathA(Handle owner, int folder, Handle token, std::uint32_t flags,
                          std::wstring& path) override {
        if (path.size() < kMaxPathChars) {
            path.resize(kMaxPathChars, L' ');
        }
        return ::SHGetFolderPathW(AsWindow(owner), folder, reinterpret_cast<HANDLE>(token), flags,
                                  path.data());
    }

    std::uint32_t GetWindowsDirectoryA(std::wstring& buffer, std::uint32_t size) override {
        const auto capacity = static_cast<UINT>(std::min<std::size_t>(size, buffer.size()));
        return ::GetWindowsDirectoryW(buffer.data(), capacity);
    }

    // The parameter is the wallpaper path for every action the programs use; the function takes
    // it through a writable pointer, so it gets a copy.
    int SystemParametersInfoA(std::uint32_t action, std::uint32_t uiParam,
                              const std::wstring& pvParam, std::uint32_t fWinIni) override {
        std::wstring param = pvParam;
        return ::SystemParametersInfoW(action, uiParam, param.data(), fWinIni);
    }

    int PostMessageA(Handle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
        return ::PostMessageW(AsWindow(window), message, wParam, lParam);
    }

    Handle FindWindowA(const std::optional<std::wstring>& className,
                       const std::optional<std::wstring>& windowName) override {
        return AsHandle(::FindWindowW(OptionalText(className), OptionalText(windowName)));
    }

    Handle FindWindowExA(Handle parent, Handle childAfter,
                         const std::optional<std::wstring>& className,
                         const std::optional<std::wstring>& windowName) override {
        return AsHandle(::FindWindowExW(AsWindow(parent), AsWindow(childAfter),
                                        OptionalText(className), OptionalText(windowName)));
    }

    Handle CreateRectRgn(int left, int top, int right, int bottom) override {
        return AsHandle(::CreateRectRgn(left, top, right, bottom));
    }

    int SetWindowRgn(Handle window, Handle region, int redraw) override {
        return ::SetWindowRgn(AsWindow(window), reinterpret_cast<HRGN>(region), redraw);
    }

    int SetWindowPos(Handle window, Handle insertAfter, int x, int y, int cx, int cy,
                     std::uint32_t flags) override {
        return ::SetWindowPos(AsWindow(window), AsWindow(insertAfter), x, y, cx, cy, flags);
    }

    std::optional<RegData> RegQueryValue(RegRoot root, const std::wstring& key,
                                         const std::wstring& valueName) override {
        UniqueHKey opened;
        if (::RegOpenKeyExW(RootKey(root), key.c_str(), 0, KEY_QUERY_VALUE | SystemView(), opened.Put()) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return QueryValue(opened.Get(), valueName);
    }

    bool RegSetString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                      const std::wstring& value) override {
        UniqueHKey created;
        if (::RegCreateKeyExW(RootKey(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE | SystemView(), nullptr, created.Put(), nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(created.Get(), valueName.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                bytes) == ERROR_SUCCESS;
    }

    bool RegRemoveValue(RegRoot root, const std::wstring& key,
                        const std::wstring& valueName) override {
        UniqueHKey opened;
        if (::RegOpenKeyExW(RootKey(root), key.c_str(), 0, KEY_SET_VALUE | SystemView(), opened.Put()) !=
            ERROR_SUCCESS) {
            return false;
        }
        return ::RegDeleteValueW(opened.Get(), valueName.c_str()) == ERROR_SUCCESS;
    }

    bool FileExists(const std::wstring& path) override {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool RemoveFile(const std::wstring& path) override {
        return ::DeleteFileW(path.c_str()) != FALSE;
    }
};

}  // namespace

WinApi& SystemWinApi() {
    static Win32WinApi api;
    return api;
}

}  // namespace services
