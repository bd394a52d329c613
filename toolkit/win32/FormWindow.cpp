#include "toolkit/win32/FormWindow.h"

#include <algorithm>

#include "base/win32/WinCalls.h"
#include "base/CaseFold.h"
#include "toolkit/App.h"
#include "toolkit/win32/ControlWindow.h"
#include "toolkit/win32/Dpi.h"
#include "toolkit/win32/Win32Parts.h"

namespace tk::win32 {
namespace {

// One window class per border style, so that a form's kind shows in its class name.
const wchar_t* ClassNameFor(BorderStyle border) {
    switch (border) {
        case BorderStyle::None: return L"TkFormPlain";
        case BorderStyle::FixedSingle: return L"TkFormFixed";
        case BorderStyle::Sizable: return L"TkFormSizable";
        case BorderStyle::FixedToolWindow: return L"TkFormTool";
    }
    return L"TkFormFixed";
}

constexpr BorderStyle kAllBorders[] = {
    BorderStyle::None, BorderStyle::FixedSingle, BorderStyle::Sizable, BorderStyle::FixedToolWindow,
};

struct WindowStyles {
    DWORD style = 0;
    DWORD exStyle = 0;
};

WindowStyles StylesFor(const FormStyle& form) {
    WindowStyles s;
    switch (form.border) {
        case BorderStyle::None:
            s.style = WS_POPUP;
            break;
        case BorderStyle::FixedSingle:
            s.style = WS_OVERLAPPED | WS_CAPTION;
            break;
        case BorderStyle::Sizable:
            s.style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
            break;
        case BorderStyle::FixedToolWindow:
            s.style = WS_OVERLAPPED | WS_CAPTION;
            s.exStyle = WS_EX_TOOLWINDOW;
            break;
    }
    const bool captioned = form.border != BorderStyle::None;
    if (captioned && form.controlBox) {
        s.style |= WS_SYSMENU;
        // Tool windows carry no minimise or maximise box.
        if (form.border != BorderStyle::FixedToolWindow) {
            if (form.minButton) s.style |= WS_MINIMIZEBOX;
            if (form.maxButton) s.style |= WS_MAXIMIZEBOX;
        }
    }
    s.style |= WS_CLIPCHILDREN;
    return s;
}

ATOM RegisterFormClass(BorderStyle border, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = base::win32::GetModuleHandleT(nullptr);
    wc.hCursor = base::win32::LoadCursorT(nullptr, IDC_ARROW);
    wc.lpszClassName = ClassNameFor(border);
    return base::win32::RegisterClassExT(wc);
}

bool IsFormClass(HWND window) {
    const std::wstring name = base::win32::GetClassNameT(window);
    for (BorderStyle border : kAllBorders) {
        if (name == ClassNameFor(border)) return true;
    }
    return false;
}

bool KeyHeld(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

FormWindow::FormWindow(Form& form, Win32Windows& system) : form_(form), system_(system) {}

// The window comes into being when something first needs it (showing, placing, measuring, its
// handle, its controls): a form that is loaded and never used in these ways costs no window.
RECT FormWindow::PlannedFrame() const {
    const FormStyle& style = form_.Style();
    const WindowStyles ws = StylesFor(style);
    const int dpi = ScreenDpi();
    RECT frame{0, 0, TwipsToPx(style.clientWidth, dpi), TwipsToPx(style.clientHeight, dpi)};
    ::AdjustWindowRectEx(&frame, ws.style, FALSE, ws.exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;

    POINT at{0, 0};
    if (plannedTopLeft_) {
        at = *plannedTopLeft_;
    } else if (style.startPosition == StartPosition::CenterScreen) {
        at = {(::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
              (::GetSystemMetrics(SM_CYSCREEN) - height) / 2};
    } else if (style.startPosition == StartPosition::WindowsDefault) {
        at = {CW_USEDEFAULT, CW_USEDEFAULT};
    }
    return {at.x, at.y, at.x + width, at.y + height};
}

HWND FormWindow::EnsureWindow() const {
    if (hwnd_ || created_) return hwnd_;
    created_ = true;
    const FormStyle& style = form_.Style();
    RegisterFormClass(style.border, WindowProc);  // fails harmlessly when already registered
    const WindowStyles ws = StylesFor(style);
    const RECT frame = PlannedFrame();
    // Forms kept out of the taskbar are owned by a hidden window: owned windows get no button.
    const HWND owner = style.showInTaskbar ? nullptr : system_.HiddenOwner();

    auto* self = const_cast<FormWindow*>(this);
    base::win32::CreateWindowExT(ws.exStyle, ClassNameFor(style.border), style.caption.c_str(), ws.style,
                      frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                      owner, nullptr, base::win32::GetModuleHandleT(nullptr), self);
    backBrush_.Reset(::CreateSolidBrush(BackColor()));
    if (hwnd_ && style.icon && style.border != BorderStyle::None) self->ApplyIcon();
    // What waited for the window runs now, in the order it was asked for.
    const auto pending = std::move(pending_);
    pending_.clear();
    if (hwnd_) {
        for (const auto& action : pending) action(reinterpret_cast<WindowHandle>(hwnd_));
    }
    return hwnd_;
}

FormWindow::~FormWindow() {
    if (!hwnd_) return;
    const HWND window = hwnd_;
    base::win32::SetWindowLongPtrT(window, GWLP_USERDATA, 0);  // no message reaches this object any more
    hwnd_ = nullptr;
    ::DestroyWindow(window);
}

void FormWindow::ApplyIcon() {
    const HINSTANCE instance = base::win32::GetModuleHandleT(nullptr);
    // Shared icons belong to the system's cache: nothing to free.
    const auto big = static_cast<HICON>(base::win32::LoadImageT(
        instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
        ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    const auto small = static_cast<HICON>(base::win32::LoadImageT(
        instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
        ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (big) base::win32::SendMessageT(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small) base::win32::SendMessageT(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

COLORREF FormWindow::BackColor() const { return FaceColorRef(form_.Style().backColor); }

FormWindow* FormWindow::FromWindow(HWND window) {
    if (!window || !IsFormClass(window)) return nullptr;
    return reinterpret_cast<FormWindow*>(base::win32::GetWindowLongPtrT(window, GWLP_USERDATA));
}

void FormWindow::Update(Change what) {
    if (!hwnd_) return;
    switch (what) {
        case Change::Caption:
            base::win32::SetWindowTextT(hwnd_, form_.Style().caption);
            break;
        case Change::Colors:
            backBrush_.Reset(::CreateSolidBrush(BackColor()));
            ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        default:
            break;
    }
}

void FormWindow::Show() {
    if (!EnsureWindow()) return;
    if (!shown_) {
        shown_ = true;
        const bool maximized = form_.Style().windowState == WindowState::Maximized;
        ::ShowWindow(hwnd_, maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    } else {
        ::ShowWindow(hwnd_, SW_SHOW);
    }
}

void FormWindow::Hide() {
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

WindowHandle FormWindow::Handle() const { return reinterpret_cast<WindowHandle>(EnsureWindow()); }

void FormWindow::WhenWindowExists(std::function<void(WindowHandle)> action) {
    if (hwnd_) {
        action(reinterpret_cast<WindowHandle>(hwnd_));
    } else if (!created_) {
        pending_.push_back(std::move(action));
    }  // a window made and destroyed again will not come back: nothing to run on
}

// Size and place come from the window once it exists; until then from what it will be made as,
// unless the system is to choose the place, which only making the window tells.
bool FormWindow::Frame(RECT& r) const {
    if (!hwnd_ && !created_ &&
        (plannedTopLeft_ || form_.Style().startPosition != StartPosition::WindowsDefault)) {
        r = PlannedFrame();
        return true;
    }
    return EnsureWindow() && ::GetWindowRect(hwnd_, &r);
}

SizePx FormWindow::OuterSize() const {
    RECT r{};
    if (!Frame(r)) return {};
    return {r.right - r.left, r.bottom - r.top};
}

PointPx FormWindow::Position() const {
    RECT r{};
    if (!Frame(r)) return {};
    return {r.left, r.top};
}

void FormWindow::MoveTo(PointPx topLeft) {
    if (!hwnd_ && !created_) {
        plannedTopLeft_ = POINT{topLeft.x, topLeft.y};
        return;
    }
    ::SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::unique_ptr<ControlPeer> FormWindow::CreateControl(Control& control) {
    EnsureWindow();
    return MakeControlPeer(*this, control);
}

void FormWindow::RemoveControl(ControlWindow* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void FormWindow::InvalidateControlArea(const Control& control) {
    HWND parent = hwnd_;
    if (PictureBox* box = control.Container()) {
        if (auto* peer = dynamic_cast<ControlWindow*>(box->Peer())) parent = peer->hwnd();
    }
    if (parent) ::InvalidateRect(parent, nullptr, TRUE);
}

void FormWindow::PaintShapes(HDC dc, const PictureBox* container) const {
    const int dpi = ScreenDpi();
    for (const Control* control : form_.Controls()) {
        if (control->Kind() != ControlKind::Shape || control->Container() != container ||
            !control->Visible()) {
            continue;
        }
        const auto& shape = static_cast<const Shape&>(*control);
        const RectTwips& b = shape.Bounds();
        const int left = TwipsToPx(b.left, dpi), top = TwipsToPx(b.top, dpi);
        const int width = TwipsToPx(b.width, dpi), height = TwipsToPx(b.height, dpi);
        if (width <= 0 || height <= 0) continue;
        UniquePen pen(::CreatePen(PS_SOLID, 1, ToColorRef(shape.BorderColor())));
        SelectScope usePen(dc, pen.Get());
        SelectScope noFill(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, left, top, left + width, top + height);
    }
}

// --- Keyboard -------------------------------------------------------------------------------

std::vector<Control*> FormWindow::TabOrder() const {
    std::vector<Control*> order = form_.Controls();
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->TabIndex() < b->TabIndex();
    });
    return order;
}

Control* FormWindow::FocusedControl() const {
    const HWND focus = ::GetFocus();
    for (ControlWindow* peer : controls_) {
        if (peer->hwnd() == focus || ::IsChild(peer->hwnd(), focus)) return &peer->control();
    }
    return nullptr;
}

void FormWindow::RestoreFocus() {
    if (Control* last = form_.ActiveControl(); last && last->SetFocus()) return;
    for (Control* control : TabOrder()) {
        if (control->TabStop() && control->SetFocus()) return;
    }
    ::SetFocus(hwnd_);
}

bool FormWindow::MoveFocus(bool backwards) {
    std::vector<Control*> order = TabOrder();
    if (order.empty()) return false;
    if (backwards) std::reverse(order.begin(), order.end());
    const Control* current = FocusedControl();
    const auto at = std::find(order.begin(), order.end(), current);
    const std::size_t start = at == order.end() ? order.size() - 1 : std::size_t(at - order.begin());
    for (std::size_t step = 1; step <= order.size(); ++step) {
        Control* next = order[(start + step) % order.size()];
        if (next->TabStop() && next->SetFocus()) return true;
    }
    return false;
}

bool FormWindow::PressAccessKey(wchar_t key) {
    const wchar_t lower = base::LowerChar(key);
    const std::vector<Control*> order = TabOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        Control* control = order[i];
        const auto* peer = dynamic_cast<ControlWindow*>(control->Peer());
        if (!peer || !::IsWindowVisible(peer->hwnd()) || !::IsWindowEnabled(peer->hwnd())) continue;
        switch (control->Kind()) {
            case ControlKind::Button: {
                auto& button = static_cast<Button&>(*control);
                if (AccessKeyOf(button.Caption()) != lower) break;
                button.SetFocus();
                button.OnUserPress();  // last: may unload the form
                return true;
            }
            case ControlKind::CheckBox: {
                auto& box = static_cast<CheckBox&>(*control);
                if (AccessKeyOf(box.Caption()) != lower) break;
                box.SetFocus();
                box.OnUserToggle();  // last: may unload the form
                return true;
            }
            case ControlKind::Label: {
                // A label's access key moves the focus to the control after it in tab order.
                if (AccessKeyOf(static_cast<Label&>(*control).Caption()) != lower) break;
                for (std::size_t j = i + 1; j < order.size(); ++j) {
                    if (order[j]->SetFocus()) return true;
                }
                return true;
            }
            default:
                break;
        }
    }
    return false;
}

bool FormWindow::PreTranslate(const MSG& message) {
    if (!hwnd_ || !::IsWindowEnabled(hwnd_)) return false;
    switch (message.message) {
        case WM_KEYDOWN:
            switch (message.wParam) {
                case VK_TAB:
                    if (KeyHeld(VK_CONTROL) || KeyHeld(VK_MENU)) return false;
                    MoveFocus(KeyHeld(VK_SHIFT));
                    return true;
                case VK_RETURN: {
                    Control* focused = FocusedControl();
                    if (focused && focused->Kind() == ControlKind::DirListBox) {
                        auto& dir = static_cast<DirListBox&>(*focused);
                        dir.OnUserOpen(dir.Highlighted());  // last: may unload the form
                        return true;
                    }
                    form_.SetFocused(focused);
                    form_.OnUserEnter();  // last: may unload the form
                    return true;
                }
                case VK_ESCAPE:
                    form_.OnUserEscape();  // last: may unload the form
                    return true;
                default:
                    return false;
            }
        case WM_SYSCHAR:
            return PressAccessKey(static_cast<wchar_t>(message.wParam));
        case WM_CHAR: {
            // Without Alt, access keys work while the focus is on a control that takes no text.
            const Control* focused = FocusedControl();
            if (focused && (focused->Kind() == ControlKind::Button ||
                            focused->Kind() == ControlKind::CheckBox)) {
                return PressAccessKey(static_cast<wchar_t>(message.wParam));
            }
            return false;
        }
        default:
            return false;
    }
}

// --- Window procedure -----------------------------------------------------------------------

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FormWindow*>(create->lpCreateParams);
        self->hwnd_ = window;
        base::win32::SetWindowLongPtrT(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(base::win32::GetWindowLongPtrT(window, GWLP_USERDATA));
    if (!self) return base::win32::DefWindowProcT(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        base::win32::SetWindowLongPtrT(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return base::win32::DefWindowProcT(window, message, wParam, lParam);
    }
    // What a handler lets escape is reported here and the message gets the system's default
    // answer (a paint that failed is validated, so it does not come back at once).
    LRESULT result = 0;
    if (tk::RunGuarded([&] { result = self->OnMessage(message, wParam, lParam); })) return result;
    return base::win32::DefWindowProcT(window, message, wParam, lParam);
}

LRESULT FormWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = hwnd_;
    LRESULT routed = 0;
    if (RouteChildMessage(message, wParam, lParam, routed)) return routed;  // may unload

    const auto fillBackground = [this, window](HDC dc) {
        RECT client{};
        ::GetClientRect(window, &client);
        ::FillRect(dc, &client, backBrush_.Get());
    };
    switch (message) {
        case WM_ERASEBKGND:
            fillBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT: {
            PaintScope paint(window);
            PaintShapes(paint.Dc(), nullptr);
            return 0;
        }
        case WM_PRINTCLIENT: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            fillBackground(dc);
            PaintShapes(dc, nullptr);
            return 0;
        }
        case WM_SETCURSOR:
            if (const HCURSOR cursor = system_.PointerCursor()) {
                ::SetCursor(cursor);
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
                RestoreFocus();
                return 0;
            }
            break;
        case WM_SETFOCUS:
            // The window itself holds the focus when none of its controls can.
            form_.SetFocused(nullptr);
            return 0;
        case WM_WINDOWPOSCHANGING: {
            // Only Show puts a form on the screen. A placement call that carries the show flag
            // (SetWindowPos with SWP_SHOWWINDOW, say to make a hidden form topmost) still
            // moves and restacks it, but a form the program holds hidden stays hidden: not even
            // for the moment until the next Hide.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if ((pos->flags & SWP_SHOWWINDOW) && !form_.IsVisible()) pos->flags &= ~SWP_SHOWWINDOW;
            break;
        }
        case WM_GETMINMAXINFO:
            if (form_.Style().border == BorderStyle::None) {
                // Maximised, a frameless window covers the whole screen, taskbar included.
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMaxPosition = {0, 0};
                info->ptMaxSize = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
                return 0;
            }
            break;
        case WM_CLOSE:
            form_.OnUserClose();  // last: usually unloads the form and destroys this object
            return 0;
        default:
            break;
    }
    return base::win32::DefWindowProcT(window, message, wParam, lParam);
}

}  // namespace tk::win32
