// A recording stand-in for the Windows functions: set the answers, run the code, then assert on
// the exact calls made (`calls`) and on the resulting state (registry, files, wallpaper, regions).
//
// The registry is in memory, with key and value names matched without regard to letter case as
// Windows does. Windows are a tree of handles with class and window names, searched in the order
// they were added. Files are a set of paths, also matched without regard to case.
//
// Each call is logged as one line in the form `Name(arg, arg, ...)`: numbers and handles in
// signed decimal, texts in double quotes, an absent text as `null`, and a buffer the code hands
// over as `<buffer N>` with its size in characters, for example
//     SystemParametersInfoA(20, 0, "C:\x.bmp", 3)
//     SHGetFolderPathA(4096, 40, 0, 0, <buffer 260>)
//     RegSetString(HKEY_CURRENT_USER, "Software\Murivale", "FolderPath", "C:\Pictures")
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "services/WinApi.h"

namespace fakes {

using services::Handle;
using services::RegData;
using services::RegRoot;

// Case-insensitive ordering for registry and file names.
struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

class FakeWinApi : public services::WinApi {
public:
    // --- answers ------------------------------------------------------------------------------
    // GetVersionExA copies `version` into the caller's record (keeping the caller's size field)
    // and returns `versionResult`. `versionSizeSeen` holds the size field the caller set.
    // With `refuseExtendedRecord` a query with the 156-byte record fails (returns 0, writes
    // nothing), as the 9x documentation says those systems do.
    int versionResult = 1;
    bool refuseExtendedRecord = false;
    services::OsVersionInfoEx version{};
    std::optional<std::uint32_t> versionSizeSeen;
    // Sets the version answer to a successful query of the given release.
    void SetVersion(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                    std::uint8_t productType = 1, std::uint16_t suiteMask = 0);

    // The login name; std::nullopt makes the query fail without writing. A name that does not fit
    // the buffer also fails without writing, with the needed size reported, as the system does.
    std::optional<std::wstring> userName = L"alice";

    // The profile folder; std::nullopt makes the query fail without writing to the buffer.
    std::optional<std::wstring> profilePath = L"C:\\Documents and Settings\\alice";

    // The Windows folder; std::nullopt makes the query fail (result 0).
    std::optional<std::wstring> windowsDir = L"C:\\WINDOWS";

    // Result of SystemParametersInfoA; a successful wallpaper call also sets `wallpaper`.
    int systemParametersResult = 1;
    std::wstring wallpaper;

    // When set, CreateRectRgn fails (returns 0).
    bool regionCreationFails = false;

    // When set, every registry write and delete is refused (returns false, changes nothing).
    bool registryRefusesChanges = false;

    // --- call log -----------------------------------------------------------------------------
    std::vector<std::wstring> calls;
    // Called with each call as it is logged, before it takes effect: a test can look at the
    // files at the moment of a registry write.
    std::function<void(const std::wstring& call)> onCall;
    // The logged calls of one function, e.g. CallsTo(L"RegSetString").
    std::vector<std::wstring> CallsTo(const std::wstring& name) const;

    // --- windows ------------------------------------------------------------------------------
    // Adds a window under `parent` (0 for a top-level window) and returns its new handle.
    Handle AddWindow(Handle parent, const std::wstring& className,
                     const std::wstring& windowName = L"");

    // --- regions ------------------------------------------------------------------------------
    struct Rect {
        int left, top, right, bottom;
        bool operator==(const Rect& other) const;
    };
    std::map<Handle, Rect> regions;        // every region created, by handle
    std::map<Handle, Handle> windowRegion;  // the region last set on each window

    // --- registry -----------------------------------------------------------------------------
    // Direct access for arranging and checking, without logging.
    void SetValue(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                  const RegData& data);
    std::optional<RegData> Value(RegRoot root, const std::wstring& key,
                                 const std::wstring& valueName) const;
    bool KeyExists(RegRoot root, const std::wstring& key) const;
    // By full value path ("HKEY_CURRENT_USER\Software\Murivale\FolderPath"): store a string
    // value, or read one back (std::nullopt when missing or not a string value).
    void SetString(const std::wstring& path, const std::wstring& text);
    std::optional<std::wstring> String(const std::wstring& path) const;
    bool HasValue(const std::wstring& path) const;

    // --- files --------------------------------------------------------------------------------
    void AddFile(const std::wstring& path);
    bool HasFile(const std::wstring& path) const;
    // A locked file exists but cannot be removed.
    void LockFile(const std::wstring& path);

    // --- WinApi -------------------------------------------------------------------------------
    int GetVersionExA(services::OsVersionInfoEx& info) override;
    int GetUserNameA(std::wstring& buffer, std::uint32_t& size) override;
    long SHGetFolderPathA(Handle owner, int folder, Handle token, std::uint32_t flags,
                          std::wstring& path) override;
    std::uint32_t GetWindowsDirectoryA(std::wstring& buffer, std::uint32_t size) override;
    int SystemParametersInfoA(std::uint32_t action, std::uint32_t uiParam,
                              const std::wstring& pvParam, std::uint32_t fWinIni) override;
    int PostMessageA(Handle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    Handle FindWindowA(const std::optional<std::wstring>& className,
                       const std::optional<std::wstring>& windowName) override;
    Handle FindWindowExA(Handle parent, Handle childAfter,
                         const std::optional<std::wstring>& className,
                         const std::optional<std::wstring>& windowName) override;
    Handle CreateRectRgn(int left, int top, int right, int bottom) override;
    int SetWindowRgn(Handle window, Handle region, int redraw) override;
    int SetWindowPos(Handle window, Handle insertAfter, int x, int y, int cx, int cy,
                     std::uint32_t flags) override;
    std::optional<RegData> RegQueryValue(RegRoot root, const std::wstring& key,
                                         const std::wstring& valueName) override;
    bool RegSetString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                      const std::wstring& value) override;
    bool RegRemoveValue(RegRoot root, const std::wstring& key,
                        const std::wstring& valueName) override;
    bool FileExists(const std::wstring& path) override;
    bool RemoveFile(const std::wstring& path) override;

private:
    struct Window {
        Handle handle;
        Handle parent;
        std::wstring className;
        std::wstring windowName;
    };
    // A key's values by name; the key itself exists once it is in `keys_`.
    using Values = std::map<std::wstring, RegData, NoCaseLess>;
    using KeyName = std::pair<RegRoot, std::wstring>;
    struct KeyLess {
        bool operator()(const KeyName& a, const KeyName& b) const;
    };

    void Log(const std::wstring& call);
    void CreateKeyWithParents(RegRoot root, const std::wstring& key);
    Handle FindChild(Handle parent, Handle childAfter, const std::optional<std::wstring>& className,
                     const std::optional<std::wstring>& windowName) const;

    std::vector<Window> windows_;
    Handle nextWindow_ = 0x1000;
    Handle nextRegion_ = 0x7000;
    std::map<KeyName, Values, KeyLess> keys_;
    std::map<std::wstring, bool, NoCaseLess> files_;  // path -> locked
};

}  // namespace fakes
