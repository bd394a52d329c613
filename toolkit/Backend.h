// The seam between the portable model of forms and controls and the platform that shows them.
// The model (Form, the controls, the application services) owns all state; a backend renders it
// and reports what the user did. One backend is linked into each program: win32 for the real
// programs, headless for the native tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/Types.h"

namespace tk {

class Control;
class Form;
class Timer;

// What changed on a control or form, so that a peer re-reads just that from the model.
enum class Change {
    Caption,     // caption, text
    Geometry,    // left, top, width, height
    Visible,
    Enabled,
    Colors,      // fore, back or border colour
    Items,       // list items, file or folder entries
    Selection,   // list selection, check box value
    Value,       // progress value and range
    Picture,     // picture or drawing surface of a picture box
    Flags,       // default, cancel, tab stop, tool tip, alignment
    ScaleMode,   // forms: the coordinate unit
};

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Update(Change what) = 0;
    // Gives the control the keyboard focus; false when it cannot take it.
    virtual bool Focus() = 0;
};

class FormPeer {
public:
    virtual ~FormPeer() = default;
    virtual void Update(Change what) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual WindowHandle Handle() const = 0;
    // Runs `action` with the window's handle: now when the window exists, else right after it
    // is made. Calls on a handle that only need to hold once the window is seen (its region, its
    // place in the stacking order) thus cost no window in a run that never shows it.
    virtual void WhenWindowExists(std::function<void(WindowHandle)> action) = 0;
    // Outer size of the window in pixels, frame and caption included.
    virtual SizePx OuterSize() const = 0;
    // Where the window is, in pixels from the screen's top-left corner.
    virtual PointPx Position() const = 0;
    virtual void MoveTo(PointPx topLeft) = 0;
    virtual std::unique_ptr<ControlPeer> CreateControl(Control& control) = 0;
};

// Screen metrics, the pointer, message boxes, event dispatch and the program's identity.
class Backend {
public:
    virtual ~Backend() = default;

    virtual std::unique_ptr<FormPeer> CreateForm(Form& form) = 0;

    virtual void StartTimer(Timer& timer, int intervalMs) = 0;
    virtual void StopTimer(Timer& timer) = 0;

    virtual SizePx ScreenSize() const = 0;
    virtual int Dpi() const = 0;  // logical pixels per inch of the screen
    // The 0x00BBGGRR value the system gives one of its colours (SystemColor) now.
    virtual Color SystemColorValue(int index) const = 0;
    virtual void SetMousePointer(int pointer) = 0;

    // Modal message box; returns the button pressed (1 OK, 2 Cancel, 6 Yes, 7 No, ...).
    virtual int ShowMessageBox(const std::wstring& text, int style, const std::wstring& title,
                               WindowHandle owner) = 0;

    // Runs pending window events once and returns.
    virtual void DoEvents() = 0;
    // Runs events until Quit is called.
    virtual void RunLoop() = 0;
    virtual void Quit() = 0;

    // The program's folder (no trailing backslash except at a drive root), title, and the
    // command line after the program's own name.
    virtual std::wstring AppPath() const = 0;
    virtual std::wstring AppTitle() const = 0;
    virtual std::wstring CommandLineTail() const = 0;
    // True when another process of this program is already running.
    virtual bool PreviousInstance() = 0;
    // Brings the top-level window with this title to the front; false when none has it.
    virtual bool ActivateWindow(const std::wstring& title) = 0;
    // Sends keys ("+" a press of Shift, any other character typed) to the active window.
    virtual void SendKeys(const std::wstring& keys, bool wait) = 0;
};

// The backend linked into this program.
Backend& CurrentBackend();

}  // namespace tk
