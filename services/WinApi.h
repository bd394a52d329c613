// The one narrow interface through which both programs reach Windows: the version query, the
// user name and profile folder, the wallpaper call, window lookup, regions and placement, the
// registry and the few file operations. The real implementation lives in win32/; the native
// tests use a recording fake with an in-memory registry.
//
// Methods carry the names of the 8-bit functions the programs are written against. The real
// implementation calls the wide forms where there is one: they give the same result for every
// name the code page can hold and keep the others intact. Texts are therefore wide here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace services {

// A window, region or other handle as the system hands it out; 0 is "none".
using Handle = std::uintptr_t;

// The extended version record, field for field. The programs fill in the size and read the rest.
struct OsVersionInfoEx {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
    std::uint16_t wServicePackMajor = 0;
    std::uint16_t wServicePackMinor = 0;
    std::uint16_t wSuiteMask = 0;
    std::uint8_t wProductType = 0;
    std::uint8_t wReserved = 0;
};
static_assert(sizeof(OsVersionInfoEx) == 156, "the extended version record is 156 bytes");

// Registry value types, with the system's numbers.
enum class RegType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD
    MultiString = 7,   // REG_MULTI_SZ
    Qword = 11,        // REG_QWORD
};

enum class RegRoot { CurrentUser, LocalMachine, ClassesRoot, Users, CurrentConfig };

// One registry value as stored: its type and raw bytes (strings as UTF-16LE with terminator).
struct RegData {
    RegType type = RegType::None;
    std::vector<std::uint8_t> bytes;
};

constexpr std::uint32_t kSpiSetDeskWallpaper = 20;
constexpr std::uint32_t kSpifUpdateIniFile = 0x1;
constexpr std::uint32_t kSpifSendWinIniChange = 0x2;
constexpr std::uint32_t kWmKeyDown = 0x0100;
constexpr std::uint32_t kVkF5 = 0x74;
constexpr Handle kHwndTopmost = static_cast<Handle>(-1);
constexpr std::uint32_t kSwpNoSize = 0x0001;
constexpr std::uint32_t kSwpNoActivate = 0x0010;
constexpr std::uint32_t kSwpShowWindow = 0x0040;
constexpr int kCsidlProfile = 0x28;

// <windows.h> defines RegQueryValue as a macro; the method below must keep its own name in every
// translation unit, whether or not that header came first.
#pragma push_macro("RegQueryValue")
#undef RegQueryValue

class WinApi {
public:
    virtual ~WinApi() = default;

    // --- version and user -------------------------------------------------------------------
    // Returns the call's result (1 on success). `info.dwOSVersionInfoSize` is set by the caller.
    virtual int GetVersionExA(OsVersionInfoEx& info) = 0;
    // `buffer` arrives holding `size` characters; the call overwrites its start with the name and
    // a terminating NUL and sets `size` as the system does. Result as the system's.
    virtual int GetUserNameA(std::wstring& buffer, std::uint32_t& size) = 0;
    // `path` arrives at least 260 characters long; the call writes a NUL-terminated path into it.
    virtual long SHGetFolderPathA(Handle owner, int folder, Handle token, std::uint32_t flags,
                                  std::wstring& path) = 0;
    // `buffer` arrives holding `size` characters; returns the length written, 0 on failure.
    virtual std::uint32_t GetWindowsDirectoryA(std::wstring& buffer, std::uint32_t size) = 0;

    // --- desktop and windows ----------------------------------------------------------------
    // `pvParam` is the wallpaper path for kSpiSetDeskWallpaper.
    virtual int SystemParametersInfoA(std::uint32_t action, std::uint32_t uiParam,
                                      const std::wstring& pvParam, std::uint32_t fWinIni) = 0;
    virtual int PostMessageA(Handle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // A null class or window name is passed as std::nullopt.
    virtual Handle FindWindowA(const std::optional<std::wstring>& className,
                               const std::optional<std::wstring>& windowName) = 0;
    virtual Handle FindWindowExA(Handle parent, Handle childAfter,
                                 const std::optional<std::wstring>& className,
                                 const std::optional<std::wstring>& windowName) = 0;
    virtual Handle CreateRectRgn(int left, int top, int right, int bottom) = 0;
    virtual int SetWindowRgn(Handle window, Handle region, int redraw) = 0;
    virtual int SetWindowPos(Handle window, Handle insertAfter, int x, int y, int cx, int cy,
                             std::uint32_t flags) = 0;

    // --- registry -----------------------------------------------------------------------------
    // Read one value; std::nullopt when the key or value is missing or cannot be read.
    virtual std::optional<RegData> RegQueryValue(RegRoot root, const std::wstring& key,
                                                 const std::wstring& valueName) = 0;
    // Store a string value (REG_SZ), creating missing keys. Returns false when refused.
    virtual bool RegSetString(RegRoot root, const std::wstring& key,
                              const std::wstring& valueName, const std::wstring& value) = 0;
    // Remove one value. Returns false when it was missing or the removal was refused.
    virtual bool RegRemoveValue(RegRoot root, const std::wstring& key,
                                const std::wstring& valueName) = 0;

    // --- files --------------------------------------------------------------------------------
    // True for an existing file (not a folder), as the scripting runtime's FileExists answers.
    virtual bool FileExists(const std::wstring& path) = 0;
    // Deletes one file; false when it does not exist or cannot be deleted.
    virtual bool RemoveFile(const std::wstring& path) = 0;
};

#pragma pop_macro("RegQueryValue")

// The real implementation on Windows. Defined only in the Windows build.
WinApi& SystemWinApi();

}  // namespace services
