// Forms: top-level windows whose controls are members of the derived class. A form is loaded
// (its window created, hidden, and its Form_Load run), shown modeless, hidden and unloaded (its
// Form_Unload run, its window destroyed). The program ends when its last loaded form unloads.
// The controls get their backend peers (on Windows: their windows) when the form is first shown:
// until then the model alone holds their state, which a form that is never shown (one loaded
// only for its controls' state or to be placed) thus never pays for.
// Only Show puts a form's window on the screen: a placement call that carries the system's show
// flag (SetWindowPos with SWP_SHOWWINDOW) moves and restacks a hidden form but leaves it hidden.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Peers.h"
#include "toolkit/Controls.h"
#include "toolkit/Types.h"

namespace tk {

struct FormStyle {
    std::wstring caption;
    BorderStyle border = BorderStyle::FixedSingle;
    Twips clientWidth = 0;
    Twips clientHeight = 0;
    bool minButton = false;
    bool maxButton = false;
    bool controlBox = true;
    bool icon = true;               // the program's icon in the caption
    bool showInTaskbar = true;
    StartPosition startPosition = StartPosition::CenterScreen;
    WindowState windowState = WindowState::Normal;
    Color backColor = kButtonFace;
};

class Form {
public:
    explicit Form(std::wstring name, FormStyle style);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    const std::wstring& Name() const { return name_; }
    const FormStyle& Style() const { return style_; }

    // Creates the window (hidden) and runs Form_Load. Nothing when already loaded.
    void Load();
    // Loads if needed, then shows the window without making it modal. A window without a
    // focused control gives the focus to the first one in tab order that can take it.
    void Show();
    void Hide();
    // Runs Form_Unload and destroys the window. Nothing when not loaded.
    void Unload();

    bool IsLoaded() const { return peer_ != nullptr; }
    bool IsVisible() const { return visible_; }

    const std::wstring& Caption() const { return style_.caption; }
    void SetCaption(std::wstring caption);

    // Outer position and size in twips, frame and caption included.
    Twips Left() const;
    Twips Top() const;
    Twips Width() const;
    Twips Height() const;
    // Moves the window; the values are in twips.
    void Move(Twips left, Twips top);

    // Inner size in the form's coordinate unit.
    ScaleMode GetScaleMode() const { return scaleMode_; }
    void SetScaleMode(ScaleMode mode);
    double ScaleWidth() const;
    double ScaleHeight() const;

    WindowHandle Hwnd() const;
    // Runs `action` with the window's handle once the window exists (at once if it does).
    // Nothing when the form is not loaded.
    void WithWindow(std::function<void(WindowHandle)> action) const;

    // The control with the focus, or null.
    Control* ActiveControl() const { return focused_; }
    const std::vector<Control*>& Controls() const { return controls_; }
    Button* DefaultButton() const;
    Button* CancelButton() const;

    // A person pressed Enter or Esc in the window: presses the default or cancel button.
    void OnUserEnter();
    void OnUserEscape();
    // The user asked the window to close (close box, Alt+F4). The default unloads the form.
    virtual void OnUserClose() { Unload(); }

    // Backend and control use.
    FormPeer* Peer() const { return peer_.get(); }
    void Register(Control& control);
    void Unregister(Control& control);
    void SetFocused(Control* control) { focused_ = control; }

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload() {}

private:
    void FocusFirstTabStop();
    void CreateControlPeers();

    std::wstring name_;
    FormStyle style_;
    ScaleMode scaleMode_ = ScaleMode::Twip;
    std::unique_ptr<FormPeer> peer_;
    std::vector<Control*> controls_;
    Control* focused_ = nullptr;
    bool visible_ = false;
    bool controlPeers_ = false;  // the controls' peers exist (from the first Show on)
    bool loading_ = false;
    bool unloading_ = false;
};

// A form that comes into being when it is first touched, as a program refers to its windows by
// name: the first use through -> creates the form and loads it (hidden); after the form unloads,
// the next use creates a fresh one.
template <typename T>
class AutoForm {
public:
    T* operator->() { return &Get(); }
    T& operator*() { return Get(); }
    T& Get() {
        if (!form_ || !form_->IsLoaded()) {
            form_.reset();
            form_ = std::make_unique<T>();
            form_->Load();
        }
        return *form_;
    }
    bool IsLoaded() const { return form_ && form_->IsLoaded(); }
    // Unloads the form if it is loaded; never creates one.
    void Unload() {
        if (IsLoaded()) form_->Unload();
    }
    // The form if it exists and is loaded, else null; never creates one.
    T* IfLoaded() { return IsLoaded() ? form_.get() : nullptr; }

private:
    std::unique_ptr<T> form_;
};

// Number of loaded forms in the program.
int LoadedFormCount();


}  // namespace tk
