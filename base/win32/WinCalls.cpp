#include "base/win32/WinCalls.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace base::win32 {

namespace {

class AnsiCodePage final : public CodePage {
public:
    std::string Narrow(std::wstring_view text, bool* lossy) const override {
        if (lossy) *lossy = false;
        if (text.empty()) return {};
        const int length = static_cast<int>(text.size());
        const int needed = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
        if (needed <= 0) return {};
        std::string narrow(static_cast<std::size_t>(needed), '\0');
        BOOL usedDefault = FALSE;
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), needed, "?", &usedDefault);
        if (lossy) *lossy = usedDefault != FALSE;
        return narrow;
    }

    std::wstring Widen(std::string_view text) const override {
        if (text.empty()) return {};
        const int length = static_cast<int>(text.size());
        const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
        if (needed <= 0) return {};
        std::wstring wide(static_cast<std::size_t>(needed), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
        return wide;
    }
};

std::string Narrow(std::wstring_view text) { return SystemCodePage().Narrow(text); }
std::wstring Widen(std::string_view text) { return SystemCodePage().Widen(text); }

// An optional name (null stays null; a resource number stays a number).
class NarrowName {
public:
    explicit NarrowName(const wchar_t* name) {
        if (name == nullptr || IS_INTRESOURCE(name)) {
            pointer_ = reinterpret_cast<const char*>(name);
        } else {
            text_ = Narrow(name);
            pointer_ = text_.c_str();
        }
    }
    const char* Get() const { return pointer_; }

private:
    std::string text_;
    const char* pointer_ = nullptr;
};

template <typename Function>
Function Lookup(const char* module, const char* name) {
    HMODULE handle = ::GetModuleHandleA(module);
    if (!handle) handle = ::LoadLibraryA(module);
    if (!handle) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

void FillFound(const WIN32_FIND_DATAW& data, FoundFile& found) {
    found.name = data.cFileName;
    found.attributes = data.dwFileAttributes;
    found.created = data.ftCreationTime;
}

// Fills `found` from an 8-bit entry; false for one whose name cannot be used (FoundFileName).
bool FillFound(const WIN32_FIND_DATAA& data, FoundFile& found) {
    auto name = FoundFileName(SystemCodePage(), data.cFileName, data.cAlternateFileName);
    if (!name) return false;
    found.name = std::move(*name);
    found.attributes = data.dwFileAttributes;
    found.created = data.ftCreationTime;
    return true;
}

// The next entry from an 8-bit search whose name can be used.
BOOL NextUsable(HANDLE search, WIN32_FIND_DATAA& data, FoundFile& found) {
    while (::FindNextFileA(search, &data)) {
        if (FillFound(data, found)) return TRUE;
    }
    return FALSE;
}

}  // namespace

#ifndef _WIN64
bool IsWin9x() {
    static const bool win9x = (::GetVersion() & 0x80000000u) != 0;
    return win9x;
}
#endif

const CodePage& SystemCodePage() {
    static const AnsiCodePage page;
    return page;
}

HMODULE GetModuleHandleT(const wchar_t* name) {
    if (!IsWin9x()) return ::GetModuleHandleW(name);
    return ::GetModuleHandleA(NarrowName(name).Get());
}

HMODULE LoadLibraryT(const wchar_t* name) {
    if (!IsWin9x()) return ::LoadLibraryW(name);
    return ::LoadLibraryA(NarrowName(name).Get());
}

std::wstring GetModuleFileNameT(HMODULE module) {
    if (IsWin9x()) {
        char path[MAX_PATH + 1] = {};
        const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
        return length == 0 || length >= MAX_PATH ? std::wstring() : Widen(std::string_view(path, length));
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HANDLE CreateMutexT(SECURITY_ATTRIBUTES* attributes, BOOL initialOwner, const wchar_t* name) {
    if (!IsWin9x()) return ::CreateMutexW(attributes, initialOwner, name);
    return ::CreateMutexA(attributes, initialOwner, NarrowName(name).Get());
}

std::wstring FormatMessageT(DWORD error) {
    constexpr DWORD kFlags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    std::wstring message;
    if (IsWin9x()) {
        char* text = nullptr;
        const DWORD length =
            ::FormatMessageA(kFlags, nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
        if (length != 0) message = Widen(std::string_view(text, length));
        if (text != nullptr) ::LocalFree(text);
    } else {
        wchar_t* text = nullptr;
        const DWORD length =
            ::FormatMessageW(kFlags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length != 0) message.assign(text, length);
        if (text != nullptr) ::LocalFree(text);
    }
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

std::wstring GetWindowsDirectoryT() {
    if (IsWin9x()) {
        char path[MAX_PATH + 1] = {};
        const UINT length = ::GetWindowsDirectoryA(path, MAX_PATH);
        return length == 0 || length >= MAX_PATH ? std::wstring() : Widen(std::string_view(path, length));
    }
    wchar_t path[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(path, length);
}

BOOL GetUserNameT(wchar_t* buffer, DWORD* size) {
    if (!IsWin9x()) return ::GetUserNameW(buffer, size);
    char name[257] = {};
    DWORD length = sizeof name;
    if (!::GetUserNameA(name, &length)) return FALSE;
    const std::wstring wide = Widen(name);
    if (wide.size() + 1 > *size) {
        *size = static_cast<DWORD>(wide.size() + 1);
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::copy(wide.begin(), wide.end(), buffer);
    buffer[wide.size()] = L'\0';
    *size = static_cast<DWORD>(wide.size() + 1);
    return TRUE;
}

HRESULT SHGetFolderPathT(HWND owner, int folder, HANDLE token, DWORD flags, wchar_t* path) {
    path[0] = L'\0';
    if (!IsWin9x()) {
        using Wide = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
        static const auto function = Lookup<Wide>("shell32.dll", "SHGetFolderPathW");
        return function ? function(owner, folder, token, flags, path) : E_NOTIMPL;
    }
    using Narrow8 = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    static const auto function = [] {
        const auto own = Lookup<Narrow8>("shell32.dll", "SHGetFolderPathA");
        return own ? own : Lookup<Narrow8>("shfolder.dll", "SHGetFolderPathA");
    }();
    if (!function) return E_NOTIMPL;
    char narrow[MAX_PATH + 1] = {};
    const HRESULT result = function(owner, folder, token, flags, narrow);
    if (SUCCEEDED(result)) {
        const std::wstring wide = Widen(narrow);
        const std::size_t length = std::min<std::size_t>(wide.size(), MAX_PATH - 1);
        std::copy_n(wide.begin(), length, path);
        path[length] = L'\0';
    }
    return result;
}

HANDLE CreateFileT(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    if (!IsWin9x()) return ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    return ::CreateFileA(Narrow(path).c_str(), access, share & ~static_cast<DWORD>(FILE_SHARE_DELETE), nullptr,
                         disposition, flags, nullptr);
}

BOOL DeleteFileT(const std::wstring& path) {
    if (!IsWin9x()) return ::DeleteFileW(path.c_str());
    return ::DeleteFileA(Narrow(path).c_str());
}

BOOL MoveFileT(const std::wstring& from, const std::wstring& to) {
    if (!IsWin9x()) return ::MoveFileW(from.c_str(), to.c_str());
    return ::MoveFileA(Narrow(from).c_str(), Narrow(to).c_str());
}

BOOL MoveFileExT(const std::wstring& from, const std::wstring& to, DWORD flags) {
    if (!IsWin9x()) return ::MoveFileExW(from.c_str(), to.c_str(), flags);
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL GetProcessTimesT(HANDLE process, FILETIME* created, FILETIME* exited, FILETIME* kernel, FILETIME* user) {
    if (!IsWin9x()) return ::GetProcessTimes(process, created, exited, kernel, user);
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

DWORD GetFileAttributesT(const std::wstring& path) {
    if (!IsWin9x()) return ::GetFileAttributesW(path.c_str());
    return ::GetFileAttributesA(Narrow(path).c_str());
}

std::wstring GetFullPathNameT(const std::wstring& path) {
    if (IsWin9x()) {
        const std::string narrow = Narrow(path);
        char full[MAX_PATH + 1] = {};
        const DWORD length = ::GetFullPathNameA(narrow.c_str(), MAX_PATH, full, nullptr);
        return length == 0 || length >= MAX_PATH ? std::wstring() : Widen(std::string_view(full, length));
    }
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return {};
    full.resize(written);
    return full;
}

HANDLE FindFirstFileT(const std::wstring& pattern, FoundFile& found) {
    if (!IsWin9x()) {
        WIN32_FIND_DATAW data{};
        const HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) FillFound(data, found);
        return search;
    }
    WIN32_FIND_DATAA data{};
    const HANDLE search = ::FindFirstFileA(Narrow(pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE || FillFound(data, found) || NextUsable(search, data, found)) {
        return search;
    }
    // Only names that cannot be used: as a search that found nothing.
    ::FindClose(search);
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL FindNextFileT(HANDLE search, FoundFile& found) {
    if (!IsWin9x()) {
        WIN32_FIND_DATAW data{};
        if (!::FindNextFileW(search, &data)) return FALSE;
        FillFound(data, found);
        return TRUE;
    }
    WIN32_FIND_DATAA data{};
    return NextUsable(search, data, found);
}

LSTATUS RegOpenKeyExT(HKEY root, const std::wstring& key, REGSAM access, HKEY* opened) {
    if (!IsWin9x()) return ::RegOpenKeyExW(root, key.c_str(), 0, access, opened);
    return ::RegOpenKeyExA(root, Narrow(key).c_str(), 0, access, opened);
}

LSTATUS RegCreateKeyExT(HKEY root, const std::wstring& key, REGSAM access, HKEY* created) {
    if (!IsWin9x()) {
        return ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, created,
                                 nullptr);
    }
    return ::RegCreateKeyExA(root, Narrow(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                             created, nullptr);
}

std::optional<RegValue> RegQueryValueT(HKEY key, const std::wstring& name) {
    const bool narrow = IsWin9x();
    const std::string narrowName = narrow ? Narrow(name) : std::string();
    const auto query = [&](DWORD* type, BYTE* data, DWORD* size) {
        return narrow ? ::RegQueryValueExA(key, narrowName.c_str(), nullptr, type, data, size)
                      : ::RegQueryValueExW(key, name.c_str(), nullptr, type, data, size);
    };
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = query(&type, nullptr, &size);
    for (int attempt = 0; attempt < 4 && status == ERROR_SUCCESS; ++attempt) {
        std::vector<std::uint8_t> bytes(size);
        status = query(&type, bytes.empty() ? nullptr : bytes.data(), &size);
        if (status == ERROR_SUCCESS) {
            bytes.resize(size);
            if (narrow) bytes = RegStringToWide(SystemCodePage(), type, bytes);
            return RegValue{type, std::move(bytes)};
        }
        if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS;  // again, with the size just reported
    }
    return std::nullopt;
}

LSTATUS RegSetValueT(HKEY key, const std::wstring& name, DWORD type, const std::vector<std::uint8_t>& bytes) {
    if (!IsWin9x()) {
        return ::RegSetValueExW(key, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    const std::vector<std::uint8_t> narrow = RegStringToNarrow(SystemCodePage(), type, bytes);
    return ::RegSetValueExA(key, Narrow(name).c_str(), 0, type, narrow.data(), static_cast<DWORD>(narrow.size()));
}

LSTATUS RegDeleteValueT(HKEY key, const std::wstring& name) {
    if (!IsWin9x()) return ::RegDeleteValueW(key, name.c_str());
    return ::RegDeleteValueA(key, Narrow(name).c_str());
}

ATOM RegisterClassExT(const WNDCLASSEXW& windowClass) {
    if (!IsWin9x()) return ::RegisterClassExW(&windowClass);
    const NarrowName className(windowClass.lpszClassName);
    const NarrowName menuName(windowClass.lpszMenuName);
    WNDCLASSEXA narrow{};
    narrow.cbSize = sizeof narrow;
    narrow.style = windowClass.style;
    narrow.lpfnWndProc = windowClass.lpfnWndProc;
    narrow.cbClsExtra = windowClass.cbClsExtra;
    narrow.cbWndExtra = windowClass.cbWndExtra;
    narrow.hInstance = windowClass.hInstance;
    narrow.hIcon = windowClass.hIcon;
    narrow.hCursor = windowClass.hCursor;
    narrow.hbrBackground = windowClass.hbrBackground;
    narrow.lpszMenuName = menuName.Get();
    narrow.lpszClassName = className.Get();
    narrow.hIconSm = windowClass.hIconSm;
    return ::RegisterClassExA(&narrow);
}

HWND CreateWindowExT(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
    if (!IsWin9x()) {
        return ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance,
                                 param);
    }
    return ::CreateWindowExA(exStyle, NarrowName(className).Get(), NarrowName(title).Get(), style, x, y, width,
                             height, parent, menu, instance, param);
}

HWND MessageWindowParent() { return IsWin9x() ? nullptr : HWND_MESSAGE; }

LRESULT DefWindowProcT(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWin9x() ? ::DefWindowProcA(window, message, wParam, lParam)
                     : ::DefWindowProcW(window, message, wParam, lParam);
}

WNDPROC DefaultWindowProc() { return IsWin9x() ? ::DefWindowProcA : ::DefWindowProcW; }

LRESULT CallWindowProcT(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWin9x() ? ::CallWindowProcA(procedure, window, message, wParam, lParam)
                     : ::CallWindowProcW(procedure, window, message, wParam, lParam);
}

LONG_PTR GetWindowLongPtrT(HWND window, int index) {
    return IsWin9x() ? ::GetWindowLongPtrA(window, index) : ::GetWindowLongPtrW(window, index);
}

LONG_PTR SetWindowLongPtrT(HWND window, int index, LONG_PTR value) {
    return IsWin9x() ? ::SetWindowLongPtrA(window, index, value) : ::SetWindowLongPtrW(window, index, value);
}

BOOL SetPropT(HWND window, const wchar_t* name, HANDLE value) {
    if (!IsWin9x()) return ::SetPropW(window, name, value);
    return ::SetPropA(window, NarrowName(name).Get(), value);
}

HANDLE GetPropT(HWND window, const wchar_t* name) {
    if (!IsWin9x()) return ::GetPropW(window, name);
    return ::GetPropA(window, NarrowName(name).Get());
}

HANDLE RemovePropT(HWND window, const wchar_t* name) {
    if (!IsWin9x()) return ::RemovePropW(window, name);
    return ::RemovePropA(window, NarrowName(name).Get());
}

BOOL GetMessageT(MSG* message) {
    return IsWin9x() ? ::GetMessageA(message, nullptr, 0, 0) : ::GetMessageW(message, nullptr, 0, 0);
}

BOOL PeekMessageT(MSG* message, UINT remove) {
    return IsWin9x() ? ::PeekMessageA(message, nullptr, 0, 0, remove)
                     : ::PeekMessageW(message, nullptr, 0, 0, remove);
}

LRESULT DispatchMessageT(const MSG* message) {
    return IsWin9x() ? ::DispatchMessageA(message) : ::DispatchMessageW(message);
}

LRESULT SendMessageT(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWin9x() ? ::SendMessageA(window, message, wParam, lParam)
                     : ::SendMessageW(window, message, wParam, lParam);
}

LRESULT SendTextMessageT(HWND window, UINT message, WPARAM wParam, const std::wstring& text) {
    if (!IsWin9x()) return ::SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    const std::string narrow = Narrow(text);
    return ::SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(narrow.c_str()));
}

BOOL PostMessageT(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWin9x() ? ::PostMessageA(window, message, wParam, lParam)
                     : ::PostMessageW(window, message, wParam, lParam);
}

BOOL PostThreadMessageT(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWin9x() ? ::PostThreadMessageA(thread, message, wParam, lParam)
                     : ::PostThreadMessageW(thread, message, wParam, lParam);
}

BOOL SetWindowTextT(HWND window, const std::wstring& text) {
    if (!IsWin9x()) return ::SetWindowTextW(window, text.c_str());
    return ::SetWindowTextA(window, Narrow(text).c_str());
}

std::wstring GetWindowTextT(HWND window) {
    if (IsWin9x()) {
        const int length = ::GetWindowTextLengthA(window);
        if (length <= 0) return {};
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        text.resize(static_cast<std::size_t>(::GetWindowTextA(window, text.data(), length + 1)));
        return Widen(text);
    }
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring GetClassNameT(HWND window) {
    if (IsWin9x()) {
        char name[257] = {};
        const int length = ::GetClassNameA(window, name, static_cast<int>(sizeof name));
        return Widen(std::string_view(name, static_cast<std::size_t>(std::max(length, 0))));
    }
    wchar_t name[257] = {};
    const int length = ::GetClassNameW(window, name, 257);
    return std::wstring(name, static_cast<std::size_t>(std::max(length, 0)));
}

HWND FindWindowT(const wchar_t* className, const wchar_t* title) {
    if (!IsWin9x()) return ::FindWindowW(className, title);
    return ::FindWindowA(NarrowName(className).Get(), NarrowName(title).Get());
}

HWND FindWindowExT(HWND parent, HWND childAfter, const wchar_t* className, const wchar_t* title) {
    if (!IsWin9x()) return ::FindWindowExW(parent, childAfter, className, title);
    return ::FindWindowExA(parent, childAfter, NarrowName(className).Get(), NarrowName(title).Get());
}

LRESULT SendToolInfoT(HWND tip, bool add, const TTTOOLINFOW& tool, const std::wstring& text) {
    if (!IsWin9x()) {
        TTTOOLINFOW wide = tool;
        wide.lpszText = const_cast<wchar_t*>(text.c_str());
        return ::SendMessageW(tip, add ? TTM_ADDTOOLW : TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&wide));
    }
    std::string narrowText = Narrow(text);
    // The record as the common controls of 98 and Me know it (without the newest fields).
    TTTOOLINFOA narrow{};
    narrow.cbSize = TTTOOLINFOA_V2_SIZE;
    narrow.uFlags = tool.uFlags;
    narrow.hwnd = tool.hwnd;
    narrow.uId = tool.uId;
    narrow.rect = tool.rect;
    narrow.hinst = tool.hinst;
    narrow.lpszText = narrowText.data();
    narrow.lParam = tool.lParam;
    return ::SendMessageA(tip, add ? TTM_ADDTOOLA : TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&narrow));
}

BOOL SystemParametersInfoT(UINT action, UINT uiParam, const std::wstring& path, UINT winIni) {
    if (!IsWin9x()) {
        std::wstring param = path;  // the call takes a writable pointer
        return ::SystemParametersInfoW(action, uiParam, param.data(), winIni);
    }
    std::string param = Narrow(path);
    return ::SystemParametersInfoA(action, uiParam, param.data(), winIni);
}

HCURSOR LoadCursorT(HINSTANCE instance, const wchar_t* name) {
    if (!IsWin9x()) return ::LoadCursorW(instance, name);
    return ::LoadCursorA(instance, NarrowName(name).Get());
}

HANDLE LoadImageT(HINSTANCE instance, const wchar_t* name, UINT type, int width, int height, UINT flags) {
    if (!IsWin9x()) return ::LoadImageW(instance, name, type, width, height, flags);
    return ::LoadImageA(instance, NarrowName(name).Get(), type, width, height, flags);
}

int DrawTextT(HDC dc, const std::wstring& text, RECT* rect, UINT format) {
    if (!IsWin9x()) return ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), rect, format);
    const std::string narrow = Narrow(text);
    return ::DrawTextA(dc, narrow.c_str(), static_cast<int>(narrow.size()), rect, format);
}

HFONT CreateFontIndirectT(const LOGFONTW& font) {
    if (!IsWin9x()) return ::CreateFontIndirectW(&font);
    LOGFONTA narrow{};
    std::memcpy(&narrow, &font, offsetof(LOGFONTA, lfFaceName));
    const std::string face = Narrow(font.lfFaceName);
    std::copy_n(face.begin(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1), narrow.lfFaceName);
    return ::CreateFontIndirectA(&narrow);
}

BOOL GetTextMetricsT(HDC dc, TEXTMETRICW* metrics) {
    if (!IsWin9x()) return ::GetTextMetricsW(dc, metrics);
    TEXTMETRICA narrow{};
    if (!::GetTextMetricsA(dc, &narrow)) return FALSE;
    *metrics = TEXTMETRICW{};
    metrics->tmHeight = narrow.tmHeight;
    metrics->tmAscent = narrow.tmAscent;
    metrics->tmDescent = narrow.tmDescent;
    metrics->tmInternalLeading = narrow.tmInternalLeading;
    metrics->tmExternalLeading = narrow.tmExternalLeading;
    metrics->tmAveCharWidth = narrow.tmAveCharWidth;
    metrics->tmMaxCharWidth = narrow.tmMaxCharWidth;
    return TRUE;
}

int GetObjectT(HGDIOBJ object, int size, void* buffer) {
    return IsWin9x() ? ::GetObjectA(object, size, buffer) : ::GetObjectW(object, size, buffer);
}

DWORD_PTR SHGetFileInfoT(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT flags) {
    if (!IsWin9x()) return ::SHGetFileInfoW(path, attributes, info, sizeof *info, flags);
    SHFILEINFOA narrow{};
    const DWORD_PTR result = ::SHGetFileInfoA(NarrowName(path).Get(), attributes, &narrow, sizeof narrow, flags);
    info->hIcon = narrow.hIcon;
    info->iIcon = narrow.iIcon;
    info->dwAttributes = narrow.dwAttributes;
    return result;
}

}  // namespace base::win32
