// Progress bars: the model's range, whatever its numbers, maps onto a fixed number of steps.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "toolkit/win32/ControlWindow.h"
#include "base/win32/WinCalls.h"
#include "toolkit/win32/FormWindow.h"

namespace tk::win32 {
namespace {

constexpr int kSteps = 10000;

class ProgressWindow final : public ControlWindow {
public:
    ProgressWindow(FormWindow& form, ProgressBar& bar) : ControlWindow(form, bar), bar_(bar) {
        CreateFor(PROGRESS_CLASSW, L"", 0, 0);
        base::win32::SendMessageT(hwnd(), PBM_SETRANGE32, 0, kSteps);
        Refresh(Change::Value);
    }

protected:
    void Refresh(Change what) override {
        if (what != Change::Value) return;
        const double span = double(bar_.Max()) - double(bar_.Min());
        const double part = span > 0 ? (double(bar_.Value()) - double(bar_.Min())) / span : 0.0;
        const auto position = static_cast<int>(std::lround(std::clamp(part, 0.0, 1.0) * kSteps));
        base::win32::SendMessageT(hwnd(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }

private:
    ProgressBar& bar_;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeProgressPeer(FormWindow& form, ProgressBar& bar) {
    return std::make_unique<ProgressWindow>(form, bar);
}

}  // namespace tk::win32
