// The window of one control: the common part of every control peer (placement, visibility,
// enabled state, focus, the link from the window back to its peer) and the factory that makes
// the right peer for each kind of control.
//
// Stacking: controls are created in the order the form registered them and each new window
// goes below its earlier siblings, so a control registered earlier lies on top of one registered
// later. A caption-less disabled button registered last therefore serves as a raised panel
// behind the others. Tab order is the model's TabIndex and does not depend on stacking.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/win32/Handles.h"
#include "toolkit/Controls.h"
#include "toolkit/Peers.h"

namespace tk::win32 {

// The handle owners the window code uses, by their short names.
using base::win32::PaintScope;
using base::win32::SelectScope;
using base::win32::UniqueBitmap;
using base::win32::UniqueBrush;
using base::win32::UniqueFont;
using base::win32::UniqueIcon;
using base::win32::UniqueMemoryDc;
using base::win32::UniquePen;
using base::win32::UniqueWindow;
using base::win32::WindowDc;

class FormWindow;

// A brush of one colour, kept while the program runs (the system paints with what it is given).
HBRUSH SolidBrush(COLORREF color);

class ControlWindow : public ControlPeer {
public:
    ControlWindow(FormWindow& form, Control& control);
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;
    ~ControlWindow() override;

    void Update(Change what) override;
    bool Focus() override;

    HWND hwnd() const { return hwnd_; }
    Control& control() const { return control_; }
    FormWindow& form() const { return form_; }

    // The peer of one of our control windows, or null for any other window.
    static ControlWindow* FromWindow(HWND window);

    // Notifications that the parent window passes on. A handler that calls into the model does
    // so as its last step: the call may unload the form and destroy this peer.
    virtual void OnCommand(WORD /*code*/) {}
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
    // The brush for WM_CTLCOLOR...; null leaves the colours to the system.
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

    // The rectangle of the control in pixels, in its parent's client coordinates.
    RECT PixelRect() const;

protected:
    // Creates the window (hidden until placed), subclasses it and applies the model's state.
    // A window class of our own is registered on first use with DefWindowProc behind it.
    void CreateFor(const wchar_t* windowClass, const std::wstring& text, DWORD style,
                   DWORD exStyle);
    static void RegisterOwnClass(const wchar_t* windowClass, HCURSOR cursor);

    // The part of Update that depends on the kind of control.
    virtual void Refresh(Change /*what*/) {}
    // Sees each message before the window's own procedure; true when it was fully handled.
    virtual bool HandleMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                               LRESULT& /*result*/) {
        return false;
    }

    // For a window that paints all of its client area itself: WM_ERASEBKGND leaves the
    // background alone, and WM_PAINT and WM_PRINTCLIENT both call `paint(dc)`. True when
    // `message` was one of these three.
    template <typename Paint>
    bool HandlePaintMessage(UINT message, WPARAM wParam, LRESULT& result, Paint paint) const {
        switch (message) {
            case WM_ERASEBKGND:
                result = 1;
                return true;
            case WM_PAINT: {
                PaintScope scope(hwnd_);
                paint(scope.Dc());
                result = 0;
                return true;
            }
            case WM_PRINTCLIENT:
                paint(reinterpret_cast<HDC>(wParam));
                result = 0;
                return true;
            default:
                return false;
        }
    }

    // The window the control lives in: its picture box, or the form.
    HWND ParentWindow() const;
    // The colour behind the control: its picture box's back colour, or the form's.
    COLORREF ParentBackColor() const;
    HBRUSH ParentBackBrush() const;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    FormWindow& form_;
    Control& control_;
    HWND hwnd_ = nullptr;
};

// A control without a window of its own (timer, shape): nothing to show, no focus.
class WindowlessPeer : public ControlPeer {
public:
    WindowlessPeer(FormWindow& form, Control& control) : form_(form), control_(control) {}
    void Update(Change what) override;
    bool Focus() override { return false; }

private:
    FormWindow& form_;
    Control& control_;
};

// Passes a notification from a child control to its peer: WM_COMMAND, WM_DRAWITEM and
// WM_CTLCOLOR... True when it was handled and `result` holds the answer. The model may have
// unloaded the form by the time this returns.
bool RouteChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The access key of a caption ("&Save" gives 's'), lower-cased; 0 when there is none.
wchar_t AccessKeyOf(const std::wstring& caption);

// The peer for one control, of the right kind.
std::unique_ptr<ControlPeer> MakeControlPeer(FormWindow& form, Control& control);

// The factories of each family of controls.
std::unique_ptr<ControlPeer> MakeButtonPeer(FormWindow& form, Button& button);
std::unique_ptr<ControlPeer> MakeCheckBoxPeer(FormWindow& form, CheckBox& box);
std::unique_ptr<ControlPeer> MakeLabelPeer(FormWindow& form, Label& label);
std::unique_ptr<ControlPeer> MakeListBoxPeer(FormWindow& form, ListBox& list);
std::unique_ptr<ControlPeer> MakeDirListPeer(FormWindow& form, DirListBox& list);
std::unique_ptr<ControlPeer> MakePicturePeer(FormWindow& form, PictureBox& box);
std::unique_ptr<ControlPeer> MakeProgressPeer(FormWindow& form, ProgressBar& bar);

// Paints the part of a picture box's surface that lies at `origin` (in the box's client
// coordinates) into `dc` at (0, 0), `size` pixels large; beyond the surface, the back colour.
void PaintSurfacePart(HDC dc, const PictureBox& box, POINT origin, SIZE size);

}  // namespace tk::win32
