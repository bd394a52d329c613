// The desktop helpers: detecting an HTML desktop, and the region that clips a window to its
// client area.
#include <gtest/gtest.h>

#include "selector/Desktop.h"
#include "tests/fakes/FakeWinApi.h"
#include "toolkit/Form.h"
#include "toolkit/headless/Headless.h"

namespace {

TEST(DesktopView, HtmlViewInsideTheShellViewMeansAnHtmlDesktop) {
    fakes::FakeWinApi api;
    EXPECT_EQ(selector::IsActiveDesktop(api), 0);  // no desktop windows at all
    const auto progman = api.AddWindow(0, L"Progman", L"Program Manager");
    const auto view = api.AddWindow(progman, L"SHELLDLL_DefView");
    api.AddWindow(view, L"SysListView32");
    EXPECT_EQ(selector::IsActiveDesktop(api), 0);
    api.AddWindow(view, L"Internet Explorer_Server");
    EXPECT_EQ(selector::IsActiveDesktop(api), -1);
    EXPECT_EQ(api.CallsTo(L"FindWindowExA").back(),
              L"FindWindowExA(" + std::to_wstring(view) + L", 0, \"Internet Explorer_Server\", null)");
}

TEST(DesktopView, AnHtmlViewElsewhereDoesNotCount) {
    fakes::FakeWinApi api;
    const auto other = api.AddWindow(0, L"Shell_TrayWnd");
    api.AddWindow(api.AddWindow(other, L"SHELLDLL_DefView"), L"Internet Explorer_Server");
    EXPECT_EQ(selector::IsActiveDesktop(api), 0);
}

TEST(ClientRegion, WorkedExampleAndHalvesToEven) {
    const auto r = selector::ClientRegionOf(2535, 2550, 2415, 2055, 15, 15);
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.top, 29);
    EXPECT_EQ(r.right, 165);
    EXPECT_EQ(r.bottom, 166);
    // 135 twips wider than the client: a border of 4.5 pixels goes to 4, not 5.
    EXPECT_EQ(selector::ClientRegionOf(2550, 2550, 2415, 2055, 15, 15).left, 4);
    // A caption-less window gets its whole area.
    const auto none = selector::ClientRegionOf(1500, 1500, 1500, 1500, 15, 15);
    EXPECT_EQ(none.left, 0);
    EXPECT_EQ(none.top, 0);
    EXPECT_EQ(none.right, 100);
    EXPECT_EQ(none.bottom, 100);
}

class RegionForm : public tk::Form {
public:
    RegionForm() : tk::Form(L"RegionForm", Style()) {}
    static tk::FormStyle Style() {
        tk::FormStyle style;
        style.clientWidth = 2415;
        style.clientHeight = 2055;
        return style;
    }
};

TEST(ClientRegion, FormKeepsItsCoordinateUnitAndTheWindowGetsTheRegion) {
    tk::headless::Reset();
    fakes::FakeWinApi api;
    for (const tk::ScaleMode mode : {tk::ScaleMode::Pixel, tk::ScaleMode::Twip}) {
        RegionForm form;
        form.Load();
        form.SetScaleMode(mode);
        selector::SetFormRegion(api, form);
        EXPECT_EQ(form.GetScaleMode(), mode);
        const auto region = api.windowRegion.at(form.Hwnd());
        EXPECT_EQ(api.regions.at(region), (fakes::FakeWinApi::Rect{4, 29, 165, 166}));
        form.Unload();
    }
}

TEST(ClientRegion, AFailedRegionLeavesTheWindowWhole) {
    tk::headless::Reset();
    fakes::FakeWinApi api;
    api.regionCreationFails = true;
    RegionForm form;
    form.Load();
    selector::SetFormRegion(api, form);
    EXPECT_EQ(api.CallsTo(L"SetWindowRgn").back(),
              L"SetWindowRgn(" + std::to_wstring(form.Hwnd()) + L", 0, -1)");
    form.Unload();
}

}  // namespace
