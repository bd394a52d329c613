// The Windows functions that have a wide and an 8-bit form, in one place. Windows 95, 98 and Me
// export most wide forms only as stubs that fail, so each function here takes wide text and calls
// the wide form on the NT family and the 8-bit form on the 9x family, with text converted through
// the system's code page (names it cannot hold arrive as '?'; see AnsiText.h for the file names
// found). Each is named after the Windows function with the suffix T, for "either text form".
// Functions newer than the oldest supported Windows are looked up when first needed.
//
// The rest of the program calls no wide form that 9x stubs; the import check holds it to that.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/AnsiText.h"

namespace base::win32 {

// Windows 95, 98 or Me (the top bit of GetVersion's answer). They run no 64-bit program, so
// the 64-bit build has no 8-bit branch at all.
#ifdef _WIN64
constexpr bool IsWin9x() { return false; }
#else
bool IsWin9x();
#endif
// The system's 8-bit code page (CP_ACP).
const CodePage& SystemCodePage();

// --- modules, processes, messages from the system -------------------------------------------
HMODULE GetModuleHandleT(const wchar_t* name);
HMODULE LoadLibraryT(const wchar_t* name);
// The full path of the module's file; empty on failure.
std::wstring GetModuleFileNameT(HMODULE module);
HANDLE CreateMutexT(SECURITY_ATTRIBUTES* attributes, BOOL initialOwner, const wchar_t* name);
// The system's text for an error code, without the line break at its end; empty when it has none.
std::wstring FormatMessageT(DWORD error);
// The Windows folder; empty on failure.
std::wstring GetWindowsDirectoryT();
// As GetUserName: `size` characters of room in, the length written (with the NUL) out.
BOOL GetUserNameT(wchar_t* buffer, DWORD* size);
// The folder's path (room for MAX_PATH characters). On 9x the function comes from shell32, or
// from the redistributable shfolder.dll where shell32 lacks it; where neither has it the result
// is E_NOTIMPL and `path` is left empty.
HRESULT SHGetFolderPathT(HWND owner, int folder, HANDLE token, DWORD flags, wchar_t* path);

// --- files ----------------------------------------------------------------------------------
// On 9x a share mode's FILE_SHARE_DELETE, which the system does not accept there, is left out.
HANDLE CreateFileT(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags);
BOOL DeleteFileT(const std::wstring& path);
// MoveFile: never replaces an existing file.
BOOL MoveFileT(const std::wstring& from, const std::wstring& to);
// MoveFileEx. Windows 95, 98 and Me have only a stub of it, which is not called: there it fails
// at once with ERROR_CALL_NOT_IMPLEMENTED, as the stub would.
BOOL MoveFileExT(const std::wstring& from, const std::wstring& to, DWORD flags);
// GetProcessTimes; on 9x, where it is only a stub, it fails so too, without calling it.
BOOL GetProcessTimesT(HANDLE process, FILETIME* created, FILETIME* exited, FILETIME* kernel,
                      FILETIME* user);
DWORD GetFileAttributesT(const std::wstring& path);
// The full path; empty on failure.
std::wstring GetFullPathNameT(const std::wstring& path);

// One entry of a folder search, as the programs use it.
struct FoundFile {
    std::wstring name;
    DWORD attributes = 0;
    FILETIME created{};
};
// FindFirstFile / FindNextFile. On 9x a name the code page cannot hold comes as its short name,
// and an entry without one is passed over (FoundFileName).
HANDLE FindFirstFileT(const std::wstring& pattern, FoundFile& found);
BOOL FindNextFileT(HANDLE search, FoundFile& found);

// --- registry -------------------------------------------------------------------------------
LSTATUS RegOpenKeyExT(HKEY root, const std::wstring& key, REGSAM access, HKEY* opened);
LSTATUS RegCreateKeyExT(HKEY root, const std::wstring& key, REGSAM access, HKEY* created);
// The value's type and bytes, string data always in UTF-16LE; std::nullopt when it is missing
// or cannot be read. A value that grows between asking its size and reading it is asked again.
struct RegValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};
std::optional<RegValue> RegQueryValueT(HKEY key, const std::wstring& name);
// `bytes` as RegQueryValueT gives them (strings in UTF-16LE, with their terminator).
LSTATUS RegSetValueT(HKEY key, const std::wstring& name, DWORD type,
                     const std::vector<std::uint8_t>& bytes);
LSTATUS RegDeleteValueT(HKEY key, const std::wstring& name);

// --- windows and messages -------------------------------------------------------------------
ATOM RegisterClassExT(const WNDCLASSEXW& windowClass);
HWND CreateWindowExT(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
// The parent for a window that only receives messages: HWND_MESSAGE where the system has
// message-only windows (2000 and later), none (a hidden top-level window) on 9x.
HWND MessageWindowParent();
LRESULT DefWindowProcT(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// DefWindowProc in the text form of this system, for a window class that needs no procedure of its own.
WNDPROC DefaultWindowProc();
LRESULT CallWindowProcT(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam);
LONG_PTR GetWindowLongPtrT(HWND window, int index);
LONG_PTR SetWindowLongPtrT(HWND window, int index, LONG_PTR value);
BOOL SetPropT(HWND window, const wchar_t* name, HANDLE value);
HANDLE GetPropT(HWND window, const wchar_t* name);
HANDLE RemovePropT(HWND window, const wchar_t* name);

BOOL GetMessageT(MSG* message);
BOOL PeekMessageT(MSG* message, UINT remove);
LRESULT DispatchMessageT(const MSG* message);
// A message whose parameters carry no text.
LRESULT SendMessageT(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message whose lParam is a string (WM_SETTEXT, LB_ADDSTRING, ...).
LRESULT SendTextMessageT(HWND window, UINT message, WPARAM wParam, const std::wstring& text);
BOOL PostMessageT(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageT(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam);

BOOL SetWindowTextT(HWND window, const std::wstring& text);
std::wstring GetWindowTextT(HWND window);
std::wstring GetClassNameT(HWND window);
// A null name is "any".
HWND FindWindowT(const wchar_t* className, const wchar_t* title);
HWND FindWindowExT(HWND parent, HWND childAfter, const wchar_t* className, const wchar_t* title);

// A tool tip's tool (TTM_ADDTOOL) or its new text (TTM_UPDATETIPTEXT); `text` replaces the
// record's lpszText.
LRESULT SendToolInfoT(HWND tip, bool add, const TTTOOLINFOW& tool, const std::wstring& text);

// The wallpaper (SPI_SETDESKWALLPAPER) and every other action whose parameter is a path.
BOOL SystemParametersInfoT(UINT action, UINT uiParam, const std::wstring& path, UINT winIni);

// --- resources, drawing ---------------------------------------------------------------------
// `name` may be a resource number (MAKEINTRESOURCE) or a system cursor (IDC_...).
HCURSOR LoadCursorT(HINSTANCE instance, const wchar_t* name);
HANDLE LoadImageT(HINSTANCE instance, const wchar_t* name, UINT type, int width, int height,
                  UINT flags);
int DrawTextT(HDC dc, const std::wstring& text, RECT* rect, UINT format);
HFONT CreateFontIndirectT(const LOGFONTW& font);
// The height and average width fields only (the ones the program reads).
BOOL GetTextMetricsT(HDC dc, TEXTMETRICW* metrics);
// GetObject for objects without text (bitmaps, brushes, pens).
int GetObjectT(HGDIOBJ object, int size, void* buffer);
// The shell's icon and attributes for a path (SHGFI_ICON, SHGFI_SYSICONINDEX, ...); the
// record's display and type names are not filled.
DWORD_PTR SHGetFileInfoT(const wchar_t* path, DWORD attributes, SHFILEINFOW* info, UINT flags);

}  // namespace base::win32
