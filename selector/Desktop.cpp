#include "selector/Desktop.h"

#include <cstdint>

#include "base/Numeric.h"
#include "toolkit/App.h"
#include "toolkit/Form.h"

namespace selector {

base::Bool16 IsActiveDesktop(services::WinApi& api) {
    // No intermediate result is tested: a missing window gives 0 and the next search runs from 0.
    const services::Handle progman = api.FindWindowA(std::wstring(L"Progman"), std::nullopt);
    const services::Handle view =
        api.FindWindowExA(progman, 0, std::wstring(L"SHELLDLL_DefView"), std::nullopt);
    const services::Handle html =
        api.FindWindowExA(view, 0, std::wstring(L"Internet Explorer_Server"), std::nullopt);
    return static_cast<std::int32_t>(html) > 0 ? base::kTrue : base::kFalse;
}

ClientRegion ClientRegionOf(double outerWidth, double outerHeight, double clientWidth,
                            double clientHeight, int twipsPerPixelX, int twipsPerPixelY) {
    using base::RoundHalfEven;
    const double tx = RoundHalfEven(twipsPerPixelX);
    const double ty = RoundHalfEven(twipsPerPixelY);
    // One border width, measured across, serves for the left, right and bottom edges; the
    // caption is what remains of the vertical difference after one border.
    const double b = RoundHalfEven((outerWidth - clientWidth) / 2 / tx);
    return {static_cast<int>(b),
            static_cast<int>(RoundHalfEven((outerHeight - clientHeight) / ty - b)),
            static_cast<int>(RoundHalfEven(outerWidth / tx - b)),
            static_cast<int>(RoundHalfEven(outerHeight / ty - b))};
}

void SetFormRegion(services::WinApi& api, tk::Form& form) {
    const tk::ScaleMode remembered = form.GetScaleMode();
    form.SetScaleMode(tk::ScaleMode::Twip);
    const ClientRegion r =
        ClientRegionOf(form.Width(), form.Height(), form.ScaleWidth(), form.ScaleHeight(),
                       tk::Screen::TwipsPerPixelX(), tk::Screen::TwipsPerPixelY());
    // Once the window accepts the region, the window system owns it. A window that does not
    // exist yet gets its region when it is made.
    form.WithWindow([&api, r](tk::WindowHandle window) {
        const services::Handle region = api.CreateRectRgn(r.left, r.top, r.right, r.bottom);
        api.SetWindowRgn(window, region, -1);
    });
    form.SetScaleMode(remembered);
}

void CentreTopmost(services::WinApi& api, tk::Form& form) {
    using base::RoundHalfEven;
    const int left = static_cast<int>(RoundHalfEven(tk::Screen::Width())) / 2 -
                     static_cast<int>(RoundHalfEven(form.Width())) / 2;
    const int top = static_cast<int>(RoundHalfEven(tk::Screen::Height())) / 2 -
                    static_cast<int>(RoundHalfEven(form.Height())) / 2;
    form.Move(left, top);
    const int x = form.Left() / tk::Screen::TwipsPerPixelX();
    const int y = form.Top() / tk::Screen::TwipsPerPixelY();
    form.WithWindow([&api, x, y](tk::WindowHandle window) {
        api.SetWindowPos(window, services::kHwndTopmost, x, y, 0, 0,
                         services::kSwpNoSize | services::kSwpNoActivate | services::kSwpShowWindow);
    });
}

}  // namespace selector
