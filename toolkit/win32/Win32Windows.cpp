#include "toolkit/win32/Win32Parts.h"

#include <windows.h>

#include "base/win32/WinCalls.h"
#include "toolkit/Form.h"
#include "toolkit/win32/AppIdentity.h"
#include "toolkit/win32/Dpi.h"
#include "toolkit/win32/FormWindow.h"

namespace tk::win32 {
namespace {

constexpr wchar_t kOwnerClass[] = L"TkHiddenOwner";
// DoEvents handles what is waiting, up to this many messages: a window that never validates
// its paint area must not hold the caller forever.
constexpr int kMaxMessagesPerDoEvents = 10000;

// The hourglass is the one pointer the program sets; 0 (and anything else) lets each window show
// its own.
HCURSOR CursorFor(int pointer) {
    return pointer == kPointerHourglass ? base::win32::LoadCursorT(nullptr, IDC_WAIT) : nullptr;
}

// The first visible and enabled top-level window of this thread in the order the screen stacks
// them, topmost ones first; null when none is shown.
HWND ForemostOwnWindow() {
    const DWORD thread = ::GetCurrentThreadId();
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (::GetWindowThreadProcessId(w, nullptr) == thread && ::IsWindowVisible(w) &&
            ::IsWindowEnabled(w)) {
            return w;
        }
    }
    return nullptr;
}

bool IsOwnWindow(HWND window) {
    DWORD process = 0;
    return window && ::GetWindowThreadProcessId(window, &process) &&
           process == ::GetCurrentProcessId();
}

}  // namespace

std::unique_ptr<FormPeer> Win32Windows::CreateForm(Form& form) {
    return std::make_unique<FormWindow>(form, *this);
}

void Win32Windows::StartTimer(Timer& timer, int intervalMs) { timers_.Start(timer, intervalMs); }

void Win32Windows::StopTimer(Timer& timer) { timers_.Stop(timer); }

SizePx Win32Windows::ScreenSize() const {
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

int Win32Windows::Dpi() const { return ScreenDpi(); }

Color Win32Windows::SystemColorValue(int index) const {
    return static_cast<Color>(::GetSysColor(index)) & 0xFFFFFF;
}

void Win32Windows::SetMousePointer(int pointer) {
    pointerCursor_ = CursorFor(pointer);
    // Show the change at once where the pointer rests on one of our windows; elsewhere each
    // window asks for it when the pointer arrives (WM_SETCURSOR).
    POINT at{};
    if (!::GetCursorPos(&at) || !IsOwnWindow(::WindowFromPoint(at))) return;
    if (pointerCursor_) {
        ::SetCursor(pointerCursor_);
    } else {
        // Let the window under the pointer choose its own again.
        ::SetCursorPos(at.x, at.y);
        ::SetCursor(base::win32::LoadCursorT(nullptr, IDC_ARROW));
    }
}

int Win32Windows::ShowMessageBox(const std::wstring& text, int style, const std::wstring& title,
                                 WindowHandle owner) {
    // Without an owner given, the box belongs to the program's foremost window, which then gets
    // the activation and the keyboard back when the box closes. An owned window stays in front
    // of its owner, and the box is made topmost when the owner is, so it is never hidden behind
    // one of ours (a topmost window over a full-screen one that is active). With no window shown at
    // all (a start-up message), every window of the program waits for the box.
    HWND window = owner ? reinterpret_cast<HWND>(owner) : ForemostOwnWindow();
    UINT flags = static_cast<UINT>(style) | MB_SETFOREGROUND;
    if (!window) flags |= MB_TASKMODAL;
    // Not every system makes an owned window topmost with its owner: ask for it.
    if (window && (base::win32::GetWindowLongPtrT(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) flags |= MB_TOPMOST;
    return ::MessageBoxW(window, text.c_str(), title.c_str(), flags);
}

void Win32Windows::Dispatch(MSG& message) {
    if (message.hwnd) {
        FormWindow* form = FormWindow::FromWindow(::GetAncestor(message.hwnd, GA_ROOT));
        if (form && form->PreTranslate(message)) return;  // the form may be gone now
    }
    ::TranslateMessage(&message);
    base::win32::DispatchMessageT(&message);
}

void Win32Windows::DoEvents() {
    MSG message;
    for (int n = 0; n < kMaxMessagesPerDoEvents; ++n) {
        if (!base::win32::PeekMessageT(&message, PM_REMOVE)) break;
        if (message.message == WM_QUIT) {
            quit_ = true;  // the system asked us to end: the loop ends when control returns
            break;
        }
        Dispatch(message);
    }
}

void Win32Windows::RunLoop() {
    // A Quit from an earlier run of the loop, before the forms now loaded, is spent.
    quit_ = false;
    if (LoadedFormCount() == 0) return;
    MSG message;
    while (!quit_) {
        const BOOL got = base::win32::GetMessageT(&message);
        if (got == 0 || got == -1) break;
        Dispatch(message);
    }
    quit_ = false;
}

void Win32Windows::Quit() {
    // No WM_QUIT is posted: one left in the queue would end the next message box or loop at
    // once. The loop sees the flag when the handler that called this returns.
    quit_ = true;
    base::win32::PostThreadMessageT(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

HWND Win32Windows::HiddenOwner() {
    if (owner_) return owner_.Get();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = base::win32::DefaultWindowProc();
    wc.hInstance = base::win32::GetModuleHandleT(nullptr);
    wc.lpszClassName = kOwnerClass;
    base::win32::RegisterClassExT(wc);
    owner_.Reset(base::win32::CreateWindowExT(0, kOwnerClass, TitleOfPath(ModulePath()).c_str(), WS_POPUP, 0, 0, 0, 0,
                                   nullptr, nullptr, wc.hInstance, nullptr));
    return owner_.Get();
}

}  // namespace tk::win32
