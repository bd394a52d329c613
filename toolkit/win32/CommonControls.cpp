#include "base/win32/WinCalls.h"
#include "toolkit/win32/CommonControls.h"

#include <windows.h>

#include <commctrl.h>

namespace tk::win32 {
namespace {

void LoadCommonControls() {
    // Loaded from the main thread under the process's own activation context, so the manifest's
    // version is the one found. It stays loaded until the process ends.
    const HMODULE library = base::win32::LoadLibraryT(L"comctl32.dll");
    if (!library) return;  // the controls then come from user32 alone
    using InitExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    using InitFn = void(WINAPI*)();
    const auto initEx = reinterpret_cast<InitExFn>(
        reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    if (initEx && initEx(&controls)) return;
    const auto init = reinterpret_cast<InitFn>(
        reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControls")));
    if (init) init();
}

}  // namespace

void EnsureCommonControls() {
    static const bool loaded = (LoadCommonControls(), true);
    (void)loaded;
}

}  // namespace tk::win32
