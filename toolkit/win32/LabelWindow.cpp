// Labels: text painted by the label itself over what lies behind it (the form's colour, or the
// picture box's surface), so that a label in a picture box looks transparent. The window is the
// system's own static control, only painted by us: screen readers read it as the static text it
// is, and name the list or box that follows it by it, as they do in the system's dialogs.
#include "base/win32/Handles.h"
#include "base/win32/WinCalls.h"
#include "toolkit/win32/ControlWindow.h"
#include "toolkit/win32/Dpi.h"
#include "toolkit/win32/FormWindow.h"

namespace tk::win32 {
namespace {

constexpr wchar_t kStaticClass[] = L"Static";

class LabelWindow final : public ControlWindow {
public:
    LabelWindow(FormWindow& form, Label& label) : ControlWindow(form, label), label_(label) {
        CreateFor(kStaticClass, label.Caption(), SS_LEFT, 0);
    }

protected:
    void Refresh(Change what) override {
        if (what == Change::Caption) {
            base::win32::SetWindowTextT(hwnd(), label_.Caption());
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        } else if (what == Change::Colors || what == Change::Flags || what == Change::Enabled) {
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_SETTEXT) {
            // The text is kept, but the static control does not paint it in its own way.
            result = base::win32::DefWindowProcT(hwnd(), message, wParam, lParam);
            return true;
        }
        if (message == WM_ENABLE) {
            ::InvalidateRect(hwnd(), nullptr, FALSE);
            result = 0;
            return true;
        }
        if (message == WM_NCHITTEST) {
            // Clicks fall through to what lies behind, as on a painted caption.
            result = HTTRANSPARENT;
            return true;
        }
        return HandlePaintMessage(message, wParam, result, [this](HDC dc) { Paint(dc); });
    }

private:
    void Paint(HDC dc) {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        if (const PictureBox* box = label_.Container()) {
            POINT origin{0, 0};
            ::MapWindowPoints(hwnd(), ::GetParent(hwnd()), &origin, 1);
            PaintSurfacePart(dc, *box, origin, {client.right, client.bottom});
        } else {
            ::FillRect(dc, &client, form().BackBrush());
        }
        SelectScope font(dc, MessageFont());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, label_.Enabled() ? FaceColorRef(label_.ForeColor())
                                            : ::GetSysColor(COLOR_GRAYTEXT));
        UINT format = DT_WORDBREAK | DT_EXPANDTABS;
        switch (label_.Alignment()) {
            case Align::Left: format |= DT_LEFT; break;
            case Align::Right: format |= DT_RIGHT; break;
            case Align::Center: format |= DT_CENTER; break;
        }
        const std::wstring& text = label_.Caption();
        base::win32::DrawTextT(dc, text, &client, format);
    }

    Label& label_;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeLabelPeer(FormWindow& form, Label& label) {
    return std::make_unique<LabelWindow>(form, label);
}

}  // namespace tk::win32
