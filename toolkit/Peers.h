// The windows behind forms and controls. The model (Form, the controls) owns all state; its peer,
// made by the platform's window system (toolkit/Platform.h), shows it and reports what the user
// did.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "toolkit/Types.h"

namespace tk {

class Control;

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

}  // namespace tk
