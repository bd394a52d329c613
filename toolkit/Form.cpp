#include "toolkit/Form.h"

#include <algorithm>

#include "toolkit/App.h"
#include "toolkit/Platform.h"

namespace tk {
namespace {

int g_loadedForms = 0;

}  // namespace

int LoadedFormCount() { return g_loadedForms; }

Form::Form(std::wstring name, FormStyle style) : name_(std::move(name)), style_(std::move(style)) {}

Form::~Form() {
    // A form destroyed while loaded (a program torn down without unloading) releases its window
    // quietly: its own unload handler cannot run any more at this point.
    if (!peer_) return;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) (*it)->DetachPeer();
    peer_.reset();
    --g_loadedForms;
}

void Form::Load() {
    if (peer_ || loading_) return;
    loading_ = true;
    peer_ = CurrentPlatform().windows.CreateForm(*this);
    ++g_loadedForms;
    for (Control* control : controls_) {
        if (control->Kind() == ControlKind::Timer) static_cast<Timer*>(control)->Arm();
    }
    try {
        Form_Load();
    } catch (...) {
        loading_ = false;  // the form stays loaded as far as its handler got
        throw;
    }
    loading_ = false;
}

void Form::Show() {
    Load();
    if (!peer_) return;  // its load handler unloaded it
    CreateControlPeers();
    visible_ = true;
    peer_->Show();
    if (!focused_) FocusFirstTabStop();
}

void Form::CreateControlPeers() {
    if (controlPeers_) return;
    controlPeers_ = true;
    for (Control* control : controls_) control->AttachPeer(peer_->CreateControl(*control));
}

void Form::FocusFirstTabStop() {
    // As a dialog opens: the focus goes to the first control in tab order that can take it.
    std::vector<Control*> ordered = controls_;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Control* a, const Control* b) {
        return a->TabIndex() < b->TabIndex();
    });
    for (Control* control : ordered) {
        if (control->TabStop() && control->SetFocus()) return;
    }
}

void Form::Hide() {
    if (!peer_) return;
    visible_ = false;
    peer_->Hide();
}

void Form::Unload() {
    if (!peer_ || unloading_) return;
    unloading_ = true;
    Form_Unload();
    for (Control* control : controls_) {
        if (control->Kind() == ControlKind::Timer) static_cast<Timer*>(control)->Disarm();
    }
    if (visible_) peer_->Hide();
    visible_ = false;
    focused_ = nullptr;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) (*it)->DetachPeer();
    controlPeers_ = false;
    peer_.reset();
    unloading_ = false;
    if (--g_loadedForms == 0) CurrentPlatform().windows.Quit();
}

void Form::SetCaption(std::wstring caption) {
    style_.caption = std::move(caption);
    if (peer_) peer_->Update(Change::Caption);
}

Twips Form::Left() const {
    return peer_ ? PixelsToTwips(peer_->Position().x) : 0;
}

Twips Form::Top() const {
    return peer_ ? PixelsToTwips(peer_->Position().y) : 0;
}

Twips Form::Width() const {
    if (!peer_) return style_.clientWidth;
    return peer_->OuterSize().width * Screen::TwipsPerPixelX();
}

Twips Form::Height() const {
    if (!peer_) return style_.clientHeight;
    return peer_->OuterSize().height * Screen::TwipsPerPixelY();
}

void Form::Move(Twips left, Twips top) {
    if (!peer_) return;
    peer_->MoveTo({left / Screen::TwipsPerPixelX(), top / Screen::TwipsPerPixelY()});
}

void Form::SetScaleMode(ScaleMode mode) {
    scaleMode_ = mode;
    if (peer_) peer_->Update(Change::ScaleMode);
}

double Form::ScaleWidth() const {
    const int pixels = TwipsToPixels(style_.clientWidth);
    return scaleMode_ == ScaleMode::Pixel ? pixels : double(pixels) * Screen::TwipsPerPixelX();
}

double Form::ScaleHeight() const {
    const int pixels = TwipsToPixels(style_.clientHeight);
    return scaleMode_ == ScaleMode::Pixel ? pixels : double(pixels) * Screen::TwipsPerPixelY();
}

WindowHandle Form::Hwnd() const { return peer_ ? peer_->Handle() : 0; }

void Form::WithWindow(std::function<void(WindowHandle)> action) const {
    if (peer_) peer_->WhenWindowExists(std::move(action));
}

Button* Form::DefaultButton() const {
    for (Control* control : controls_) {
        if (control->Kind() != ControlKind::Button) continue;
        auto* button = static_cast<Button*>(control);
        if (button->IsDefault()) return button;
    }
    return nullptr;
}

Button* Form::CancelButton() const {
    for (Control* control : controls_) {
        if (control->Kind() != ControlKind::Button) continue;
        auto* button = static_cast<Button*>(control);
        if (button->IsCancel()) return button;
    }
    return nullptr;
}

void Form::OnUserEnter() {
    // Enter presses the button that has the focus, otherwise the default button.
    Button* target = nullptr;
    if (focused_ && focused_->Kind() == ControlKind::Button) {
        target = static_cast<Button*>(focused_);
    } else {
        target = DefaultButton();
    }
    if (target) target->OnUserPress();
}

void Form::OnUserEscape() {
    if (Button* cancel = CancelButton()) cancel->OnUserPress();
}

void Form::Register(Control& control) { controls_.push_back(&control); }

void Form::Unregister(Control& control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), &control), controls_.end());
    if (focused_ == &control) focused_ = nullptr;
}

}  // namespace tk
