#include "toolkit/win32/AppIdentity.h"

#include <windows.h>

#include <vector>

#include "base/win32/Handles.h"
#include "base/win32/WinCalls.h"

namespace tk::win32 {

using base::win32::UniqueKernelHandle;

std::wstring FolderOfPath(const std::wstring& programPath) {
    const std::size_t slash = programPath.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    std::wstring folder = programPath.substr(0, slash);
    // "C:" alone names the current folder of the drive, not its root.
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

std::wstring TitleOfPath(const std::wstring& programPath) {
    const std::size_t slash = programPath.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? programPath : programPath.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

std::wstring CommandTail(const std::wstring& commandLine) {
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    if (i < n && commandLine[i] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring::npos ? n : close + 1;
    } else {
        while (i < n && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
    }
    while (i < n && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
    return commandLine.substr(i);
}

std::wstring ModulePath() { return base::win32::GetModuleFileNameT(nullptr); }

bool AnotherInstanceRuns(const std::wstring& title) {
    // The mutex is held, never released, until the process ends.
    static UniqueKernelHandle mutex;
    static bool checked = false;
    static bool another = false;
    if (!checked) {
        checked = true;
        std::wstring name = L"TkInstance." + title;
        for (wchar_t& c : name) {
            if (c == L'\\') c = L'_';  // a backslash would name a namespace
        }
        ::SetLastError(ERROR_SUCCESS);
        mutex.Reset(base::win32::CreateMutexT(nullptr, FALSE, name.c_str()));
        const DWORD error = ::GetLastError();
        // Access denied: the mutex exists, made by a copy running with other rights.
        another = error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED);
    }
    return another;
}

namespace {

struct WindowSearch {
    const std::wstring* title;
    DWORD ownProcess;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    if (!::IsWindowVisible(window)) return TRUE;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == search.ownProcess) return TRUE;
    if (base::win32::GetWindowTextT(window) != *search.title) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

bool ActivateOtherWindow(const std::wstring& title) {
    WindowSearch search{&title, ::GetCurrentProcessId(), nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return false;
    if (::IsIconic(search.found)) ::ShowWindow(search.found, SW_RESTORE);
    ::SetForegroundWindow(search.found);
    return true;
}

}  // namespace tk::win32
