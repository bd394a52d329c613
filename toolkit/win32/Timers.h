// The toolkit's timers: system timers on one hidden message window, each mapped back to the
// Timer control that started it.
#pragma once

#include <windows.h>

#include <map>

#include "base/win32/Handles.h"

namespace tk {
class Timer;
}

namespace tk::win32 {

class TimerHost {
public:
    TimerHost() = default;
    TimerHost(const TimerHost&) = delete;
    TimerHost& operator=(const TimerHost&) = delete;

    // (Re)starts the timer with this interval; a running one starts counting again.
    void Start(Timer& timer, int intervalMs);
    void Stop(Timer& timer);
    bool IsRunning(const Timer& timer) const { return ids_.count(&timer) != 0; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND Window();
    void Elapsed(UINT_PTR id);

    base::win32::UniqueWindow window_;
    std::map<UINT_PTR, Timer*> timers_;
    std::map<const Timer*, UINT_PTR> ids_;
    UINT_PTR nextId_ = 1;
};

}  // namespace tk::win32
