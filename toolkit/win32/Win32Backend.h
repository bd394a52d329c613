// The backend that shows forms as real windows: the message pump, timers, the program-wide
// mouse pointer, message boxes and the program's identity.
#pragma once

#include <windows.h>

#include "common/win32/Handles.h"
#include "toolkit/Backend.h"
#include "toolkit/win32/Timers.h"

namespace tk::win32 {

class Win32Backend final : public Backend {
public:
    Win32Backend();

    std::unique_ptr<FormPeer> CreateForm(Form& form) override;
    void StartTimer(Timer& timer, int intervalMs) override;
    void StopTimer(Timer& timer) override;
    SizePx ScreenSize() const override;
    int Dpi() const override;
    Color SystemColorValue(int index) const override;
    void SetMousePointer(int pointer) override;
    int ShowMessageBox(const std::wstring& text, int style, const std::wstring& title,
                       WindowHandle owner) override;
    void DoEvents() override;
    void RunLoop() override;
    void Quit() override;
    std::wstring AppPath() const override;
    std::wstring AppTitle() const override;
    std::wstring CommandLineTail() const override;
    bool PreviousInstance() override;
    bool ActivateWindow(const std::wstring& title) override;
    void SendKeys(const std::wstring& keys, bool wait) override;

    // The cursor to show over every window of the program; null for each window's own.
    HCURSOR PointerCursor() const { return pointerCursor_; }
    // A hidden top-level window that owns the forms kept out of the taskbar.
    HWND HiddenOwner();
    bool TimerRunning(const Timer& timer) const { return timers_.IsRunning(timer); }

private:
    void Dispatch(MSG& message);
    void WaitForKeys();

    TimerHost timers_;
    common::win32::UniqueWindow owner_;
    HCURSOR pointerCursor_ = nullptr;
    bool quit_ = false;
};

// The backend of this program, as its own type.
Win32Backend& Win32();

}  // namespace tk::win32
