// The top-level window of a form: frame and caption from the form's style, its back colour,
// the outlines of its shapes, the keyboard interface of a dialog (Tab, Enter, Esc, access keys)
// and the hand-over of user actions to the model.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/win32/Handles.h"
#include "toolkit/Form.h"
#include "toolkit/Peers.h"

namespace tk::win32 {

class ControlWindow;
class Win32Windows;

class FormWindow final : public FormPeer {
public:
    // `system` made this window and outlives it.
    FormWindow(Form& form, Win32Windows& system);
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;
    ~FormWindow() override;

    void Update(Change what) override;
    void Show() override;
    void Hide() override;
    WindowHandle Handle() const override;
    void WhenWindowExists(std::function<void(WindowHandle)> action) override;
    SizePx OuterSize() const override;
    PointPx Position() const override;
    void MoveTo(PointPx topLeft) override;
    std::unique_ptr<ControlPeer> CreateControl(Control& control) override;

    Form& form() const { return form_; }
    Win32Windows& System() const { return system_; }
    HWND hwnd() const { return hwnd_; }
    COLORREF BackColor() const;
    HBRUSH BackBrush() const { return backBrush_.Get(); }

    // The form whose top-level window this is, or null for any other window.
    static FormWindow* FromWindow(HWND window);

    // Keyboard handling before a message is dispatched: Tab and Shift+Tab, Enter, Esc and the
    // access keys. True when the message was consumed. The model may have unloaded the form
    // by the time this returns.
    bool PreTranslate(const MSG& message);

    // Control peers announce themselves so that the form can find them.
    void AddControl(ControlWindow* control) { controls_.push_back(control); }
    void RemoveControl(ControlWindow* control);
    // Repaints the part of the form or picture box where `control` (a shape) lies.
    void InvalidateControlArea(const Control& control);

    // Paints the outlines of the shapes that sit on `container` (null: on the form itself).
    void PaintShapes(HDC dc, const PictureBox* container) const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<Control*> TabOrder() const;
    Control* FocusedControl() const;
    void RestoreFocus();
    bool MoveFocus(bool backwards);
    bool PressAccessKey(wchar_t key);
    void ApplyIcon();

    HWND EnsureWindow() const;
    // The window's outer rectangle as it is, or as it will be made when it does not exist yet.
    RECT PlannedFrame() const;
    // The outer rectangle, planned or actual; false when there is no window to tell it.
    bool Frame(RECT& r) const;


    Form& form_;
    Win32Windows& system_;
    mutable HWND hwnd_ = nullptr;
    mutable bool created_ = false;  // the window was made (it may since have been destroyed)
    mutable base::win32::UniqueBrush backBrush_;
    // Until the window is made: where it is to go (a move before then), and what is to run on
    // its handle once it exists.
    std::optional<POINT> plannedTopLeft_;
    mutable std::vector<std::function<void(WindowHandle)>> pending_;
    bool shown_ = false;
    std::vector<ControlWindow*> controls_;
};

}  // namespace tk::win32
