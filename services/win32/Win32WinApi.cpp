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
#include "base/win32/WinCalls.h"
#include "services/Registry.h"
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
        const HMODULE kernel = base::win32::GetModuleHandleT(L"kernel32.dll");
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
        const BOOL result = base::win32::GetUserNameT(buffer.data(), &capacity);
        size = capacity;
        return result;
    }

    // The system may write a full path; a shorter buffer is grown to the path limit first.
    long SHGetFolderPathA(Handle owner, int folder, Handle token, std::uint32_t flags,
                          std::wstring& path) override {
        if (path.size() < kMaxPathChars) {
            path.resize(kMaxPathChars, L' ');
        }
        return base::win32::SHGetFolderPathT(AsWindow(owner), folder, reinterpret_cast<HANDLE>(token),
                                             flags, path.data());
    }

    std::uint32_t GetWindowsDirectoryA(std::wstring& buffer, std::uint32_t size) override {
        const std::wstring folder = base::win32::GetWindowsDirectoryT();
        const auto capacity = std::min<std::size_t>(size, buffer.size());
        if (folder.empty()) return 0;
        if (folder.size() + 1 > capacity) return static_cast<std::uint32_t>(folder.size() + 1);
        std::copy(folder.begin(), folder.end(), buffer.begin());
        buffer[folder.size()] = L'\0';
        return static_cast<std::uint32_t>(folder.size());
    }

    // The parameter is the wallpaper path for every action the programs use; the function takes
    // it through a writable pointer, so it gets a copy.
    int SystemParametersInfoA(std::uint32_t action, std::uint32_t uiParam,
                              const std::wstring& pvParam, std::uint32_t fWinIni) override {
        return base::win32::SystemParametersInfoT(action, uiParam, pvParam, fWinIni);
    }

    int PostMessageA(Handle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
        return base::win32::PostMessageT(AsWindow(window), message, wParam, lParam);
    }

    Handle FindWindowA(const std::optional<std::wstring>& className,
                       const std::optional<std::wstring>& windowName) override {
        return AsHandle(base::win32::FindWindowT(OptionalText(className), OptionalText(windowName)));
    }

    Handle FindWindowExA(Handle parent, Handle childAfter,
                         const std::optional<std::wstring>& className,
                         const std::optional<std::wstring>& windowName) override {
        return AsHandle(base::win32::FindWindowExT(AsWindow(parent), AsWindow(childAfter),
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
        if (base::win32::RegOpenKeyExT(RootKey(root), key, KEY_QUERY_VALUE | SystemView(), opened.Put()) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        auto value = base::win32::RegQueryValueT(opened.Get(), valueName);
        if (!value) return std::nullopt;
        return RegData{static_cast<RegType>(value->type), std::move(value->bytes)};
    }

    bool RegSetString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                      const std::wstring& value) override {
        UniqueHKey created;
        if (base::win32::RegCreateKeyExT(RootKey(root), key, KEY_SET_VALUE | SystemView(), created.Put()) !=
            ERROR_SUCCESS) {
            return false;
        }
        return base::win32::RegSetValueT(created.Get(), valueName, REG_SZ, MakeStringData(value).bytes) ==
               ERROR_SUCCESS;
    }

    bool RegRemoveValue(RegRoot root, const std::wstring& key,
                        const std::wstring& valueName) override {
        UniqueHKey opened;
        if (base::win32::RegOpenKeyExT(RootKey(root), key, KEY_SET_VALUE | SystemView(), opened.Put()) !=
            ERROR_SUCCESS) {
            return false;
        }
        return base::win32::RegDeleteValueT(opened.Get(), valueName) == ERROR_SUCCESS;
    }

    bool FileExists(const std::wstring& path) override {
        const DWORD attributes = base::win32::GetFileAttributesT(path);
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool RemoveFile(const std::wstring& path) override {
        return base::win32::DeleteFileT(path) != FALSE;
    }
};

}  // namespace

WinApi& SystemWinApi() {
    static Win32WinApi api;
    return api;
}

}  // namespace services
