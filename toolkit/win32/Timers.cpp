#include "toolkit/win32/Timers.h"

#include "base/win32/WinCalls.h"
#include "toolkit/App.h"

#include <algorithm>

#include "toolkit/Controls.h"

namespace tk::win32 {
namespace {

constexpr wchar_t kTimerClass[] = L"TkTimerHost";

}  // namespace

HWND TimerHost::Window() {
    if (window_) return window_.Get();
    const HINSTANCE instance = base::win32::GetModuleHandleT(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kTimerClass;
    base::win32::RegisterClassExT(wc);  // fails harmlessly when already registered
    window_.Reset(base::win32::CreateWindowExT(0, kTimerClass, L"", 0, 0, 0, 0, 0, base::win32::MessageWindowParent(), nullptr,
                                    instance, this));
    return window_.Get();
}

LRESULT CALLBACK TimerHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        base::win32::SetWindowLongPtrT(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_TIMER) {
        auto* host = reinterpret_cast<TimerHost*>(base::win32::GetWindowLongPtrT(window, GWLP_USERDATA));
        if (host) tk::RunGuarded([host, wParam] { host->Elapsed(wParam); });
        return 0;
    }
    return base::win32::DefWindowProcT(window, message, wParam, lParam);
}

void TimerHost::Start(Timer& timer, int intervalMs) {
    const HWND window = Window();
    if (!window) return;
    UINT_PTR id;
    const auto known = ids_.find(&timer);
    if (known != ids_.end()) {
        id = known->second;
    } else {
        id = nextId_++;
        ids_[&timer] = id;
        timers_[id] = &timer;
    }
    // USER_TIMER_MINIMUM is 10 ms; a zero interval would fire as fast as possible.
    const UINT interval = static_cast<UINT>(std::max(intervalMs, 1));
    ::SetTimer(window, id, interval, nullptr);
}

void TimerHost::Stop(Timer& timer) {
    const auto known = ids_.find(&timer);
    if (known == ids_.end()) return;
    if (window_) ::KillTimer(window_.Get(), known->second);
    timers_.erase(known->second);
    ids_.erase(known);
}

void TimerHost::Elapsed(UINT_PTR id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) {
        ::KillTimer(window_.Get(), id);  // a stray tick of a timer stopped meanwhile
        return;
    }
    // The tick may stop this timer, or unload its form and so destroy it: nothing here is
    // touched after the call.
    found->second->OnElapsed();
}

}  // namespace tk::win32
