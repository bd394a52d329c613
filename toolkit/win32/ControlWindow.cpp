#include "toolkit/win32/ControlWindow.h"

#include "base/win32/WinCalls.h"
#include "base/CaseFold.h"
#include "toolkit/App.h"
#include "toolkit/win32/CommonControls.h"
#include "toolkit/win32/Dpi.h"
#include "toolkit/win32/FormWindow.h"
#include "toolkit/win32/Win32Parts.h"

namespace tk::win32 {
namespace {

// Window properties that link a control window to its peer and to the procedure it had before
// it was subclassed. The procedure stays reachable after the peer is gone.
constexpr wchar_t kPeerProperty[] = L"TkControlPeer";
constexpr wchar_t kProcProperty[] = L"TkControlProc";

WNDPROC OriginalProc(HWND window) {
    return reinterpret_cast<WNDPROC>(base::win32::GetPropT(window, kProcProperty));
}

}  // namespace

ControlWindow::ControlWindow(FormWindow& form, Control& control) : form_(form), control_(control) {}

ControlWindow::~ControlWindow() {
    form_.RemoveControl(this);
    if (!hwnd_) return;
    const HWND window = hwnd_;
    hwnd_ = nullptr;
    base::win32::RemovePropT(window, kPeerProperty);  // messages from here on go straight to the class
    if (::GetFocus() == window) ::SetFocus(form_.hwnd());
    ::DestroyWindow(window);
}

ControlWindow* ControlWindow::FromWindow(HWND window) {
    if (!window) return nullptr;
    return static_cast<ControlWindow*>(base::win32::GetPropT(window, kPeerProperty));
}

void ControlWindow::RegisterOwnClass(const wchar_t* windowClass, HCURSOR cursor) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = base::win32::DefaultWindowProc();
    wc.hInstance = base::win32::GetModuleHandleT(nullptr);
    wc.hCursor = cursor ? cursor : base::win32::LoadCursorT(nullptr, IDC_ARROW);
    wc.lpszClassName = windowClass;
    base::win32::RegisterClassExT(wc);  // fails harmlessly when already registered
}

HWND ControlWindow::ParentWindow() const {
    if (PictureBox* box = control_.Container()) {
        if (auto* peer = dynamic_cast<ControlWindow*>(box->Peer()); peer && peer->hwnd()) {
            return peer->hwnd();
        }
    }
    return form_.hwnd();
}

COLORREF ControlWindow::ParentBackColor() const {
    if (PictureBox* box = control_.Container()) return FaceColorRef(box->BackColor());
    return form_.BackColor();
}

HBRUSH ControlWindow::ParentBackBrush() const {
    // The form's brush serves the form; a control in a picture box paints the box's colour.
    if (!control_.Container()) return form_.BackBrush();
    return SolidBrush(ParentBackColor());
}

// One brush per colour, made when first asked for: the stock DC brush whose colour can be set
// does not exist before Windows 2000. The colours are the few faces the forms use; should many
// come, the oldest brushes go (a brush handed back for a control's colour is used at once).
HBRUSH SolidBrush(COLORREF color) {
    constexpr std::size_t kKept = 16;
    static std::vector<std::pair<COLORREF, UniqueBrush>> brushes;
    for (const auto& [kept, brush] : brushes) {
        if (kept == color) return brush.Get();
    }
    if (brushes.size() >= kKept) brushes.erase(brushes.begin());
    brushes.emplace_back(color, UniqueBrush(::CreateSolidBrush(color)));
    return brushes.back().second.Get();
}

RECT ControlWindow::PixelRect() const {
    const int dpi = ScreenDpi();
    const RectTwips& b = control_.Bounds();
    const int left = TwipsToPx(b.left, dpi), top = TwipsToPx(b.top, dpi);
    return {left, top, left + TwipsToPx(b.width, dpi), top + TwipsToPx(b.height, dpi)};
}

void ControlWindow::CreateFor(const wchar_t* windowClass, const std::wstring& text, DWORD style,
                              DWORD exStyle) {
    EnsureCommonControls();
    const RECT r = PixelRect();
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (control_.TabStop()) style |= WS_TABSTOP;
    if (!control_.Enabled()) style |= WS_DISABLED;
    hwnd_ = base::win32::CreateWindowExT(exStyle, windowClass, text.c_str(), style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, ParentWindow(), nullptr,
                              base::win32::GetModuleHandleT(nullptr), nullptr);
    if (!hwnd_) return;
    base::win32::SetPropT(hwnd_, kPeerProperty, this);
    const auto previous = base::win32::SetWindowLongPtrT(hwnd_, GWLP_WNDPROC,
                                              reinterpret_cast<LONG_PTR>(SubclassProc));
    base::win32::SetPropT(hwnd_, kProcProperty, reinterpret_cast<HANDLE>(previous));
    base::win32::SendMessageT(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
    // Each control goes below the ones registered before it.
    ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (control_.Visible()) ::ShowWindow(hwnd_, SW_SHOWNA);
    form_.AddControl(this);
}

LRESULT CALLBACK ControlWindow::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    const WNDPROC original = OriginalProc(window);
    ControlWindow* self = FromWindow(window);
    if (message == WM_NCDESTROY) {
        base::win32::RemovePropT(window, kPeerProperty);
        base::win32::RemovePropT(window, kProcProperty);
        base::win32::SetWindowLongPtrT(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        if (self) self->hwnd_ = nullptr;
        return base::win32::CallWindowProcT(original, window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    // What a handler lets escape is reported, and the class's own procedure answers instead.
    if (self && tk::RunGuarded([&] { handled = self->Route(message, wParam, lParam, result); }) &&
        handled) {
        return result;
    }
    // Nothing of the peer is touched after this: the class's own procedure may notify the
    // parent, and the model may unload the form in answer.
    return base::win32::CallWindowProcT(original, window, message, wParam, lParam);
}

// The toolkit's own handling of a message before the class's procedure: focus, the program's
// pointer, and the control's own messages. True when the message is answered with `result`.
bool ControlWindow::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SETFOCUS:
            control_.Owner().SetFocused(&control_);
            break;
        case WM_SETCURSOR:
            if (const HCURSOR cursor = form_.System().PointerCursor()) {
                ::SetCursor(cursor);
                result = TRUE;
                return true;
            }
            break;
        default:
            break;
    }
    return HandleMessage(message, wParam, lParam, result);
}

void ControlWindow::Update(Change what) {
    if (!hwnd_) return;
    switch (what) {
        case Change::Geometry: {
            const RECT r = PixelRect();
            ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case Change::Visible:
            if (!control_.Visible() && (::GetFocus() == hwnd_ || ::IsChild(hwnd_, ::GetFocus()))) {
                ::SetFocus(form_.hwnd());  // keys must not go on reaching a hidden control
            }
            ::ShowWindow(hwnd_, control_.Visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case Change::Enabled:
            if (!control_.Enabled() && ::GetFocus() == hwnd_) ::SetFocus(form_.hwnd());
            ::EnableWindow(hwnd_, control_.Enabled() ? TRUE : FALSE);
            break;
        case Change::Flags: {
            const LONG_PTR style = base::win32::GetWindowLongPtrT(hwnd_, GWL_STYLE);
            const LONG_PTR wanted = control_.TabStop() ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
            if (wanted != style) base::win32::SetWindowLongPtrT(hwnd_, GWL_STYLE, wanted);
            break;
        }
        default:
            break;
    }
    Refresh(what);
}

bool ControlWindow::Focus() {
    if (!hwnd_ || !::IsWindowVisible(hwnd_) || !::IsWindowEnabled(hwnd_)) return false;
    ::SetFocus(hwnd_);
    return ::GetFocus() == hwnd_;
}

void WindowlessPeer::Update(Change what) {
    // A shape is drawn by the window it sits on.
    if (control_.Kind() == ControlKind::Shape &&
        (what == Change::Geometry || what == Change::Visible || what == Change::Colors)) {
        form_.InvalidateControlArea(control_);
    }
}

bool RouteChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND: {
            ControlWindow* peer = ControlWindow::FromWindow(reinterpret_cast<HWND>(lParam));
            if (!peer) return false;
            result = 0;
            peer->OnCommand(HIWORD(wParam));  // last: may unload the form
            return true;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            ControlWindow* peer = ControlWindow::FromWindow(item->hwndItem);
            if (!peer || !peer->OnDrawItem(*item)) return false;
            result = TRUE;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            ControlWindow* peer = ControlWindow::FromWindow(reinterpret_cast<HWND>(lParam));
            if (!peer) return false;
            const HBRUSH brush = peer->OnCtlColor(reinterpret_cast<HDC>(wParam));
            if (!brush) return false;
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        default:
            return false;
    }
}

wchar_t AccessKeyOf(const std::wstring& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] == L'&') {
            ++i;  // "&&" is a literal ampersand
            continue;
        }
        return base::LowerChar(caption[i + 1]);
    }
    return 0;
}

std::unique_ptr<ControlPeer> MakeControlPeer(FormWindow& form, Control& control) {
    switch (control.Kind()) {
        case ControlKind::Button: return MakeButtonPeer(form, static_cast<Button&>(control));
        case ControlKind::CheckBox: return MakeCheckBoxPeer(form, static_cast<CheckBox&>(control));
        case ControlKind::Label: return MakeLabelPeer(form, static_cast<Label&>(control));
        case ControlKind::ListBox:
        case ControlKind::FileListBox:
            return MakeListBoxPeer(form, static_cast<ListBox&>(control));
        case ControlKind::DirListBox:
            return MakeDirListPeer(form, static_cast<DirListBox&>(control));
        case ControlKind::PictureBox:
            return MakePicturePeer(form, static_cast<PictureBox&>(control));
        case ControlKind::ProgressBar:
            return MakeProgressPeer(form, static_cast<ProgressBar&>(control));
        case ControlKind::Shape:
        case ControlKind::Timer:
            return std::make_unique<WindowlessPeer>(form, control);
    }
    return std::make_unique<WindowlessPeer>(form, control);
}

}  // namespace tk::win32
