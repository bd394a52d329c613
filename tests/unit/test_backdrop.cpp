// The black backdrop that covers the screen while the wallpaper changes on an HTML desktop, and
// how its closing hands the choice window back.
#include <gtest/gtest.h>

#include "selector/frmBack.h"
#include "selector/frmSel.h"
#include "tests/unit/ProgramFixture.h"

namespace {

namespace hl = tk::headless;
using testing_support::MurivaleTest;

class Backdrop : public MurivaleTest {
protected:
    void SetUp() override {
        MurivaleTest::SetUp();
        AddDesktop(true);
        Configure();
        AddImage(L"D:\\Pics\\a.jpg");
        AddImage(L"D:\\Pics\\b.jpg");
        AddImage(L"D:\\Pics\\c.jpg");
    }

    void AddDesktop(bool htmlView) {
        const services::Handle progman = api.AddWindow(0, L"Progman", L"Program Manager");
        const services::Handle view = api.AddWindow(progman, L"SHELLDLL_DefView");
        iconView = api.AddWindow(view, L"SysListView32", L"FolderView");
        if (htmlView) api.AddWindow(view, L"Internet Explorer_Server");
    }

    void Restart(bool htmlView) {
        choice.reset();
        hl::Reset();
        api = testing_support::HostFilesWinApi{};
        api.SetVersion(2, 5, 1, 1);
        selector::StartProgram(api);
        AddDesktop(htmlView);
        Configure();
    }

    bool BackdropShown() {
        return program().backdrop.IsLoaded() && hl::IsShown(*program().backdrop.IfLoaded());
    }
    bool AnyButtonEnabled() const {
        return choice->cmdRand.Enabled() || choice->cmdBase.Enabled() ||
               choice->cmdSelect.Enabled() || choice->cmdCurrent.Enabled();
    }
    bool AllButtonsEnabled() const {
        return choice->cmdRand.Enabled() && choice->cmdBase.Enabled() &&
               choice->cmdSelect.Enabled() && choice->cmdCurrent.Enabled();
    }
    std::wstring Refresh() const {
        return L"PostMessageA(" + std::to_wstring(iconView) + L", 256, 116, 4128769)";
    }

    // A choice that shows the backdrop: the random button, or Select in the browser.
    void Choose(bool custom) {
        if (custom) {
            choice->cmdSelect.OnUserPress();
            program().browser->File1.OnUserSelect(2);
            program().browser->cmdChoose.OnUserPress();
        } else {
            choice->cmdRand.OnUserPress();
        }
    }

    services::Handle iconView = 0;
};

TEST_F(Backdrop, CoversTheScreenBehindTheChoiceWindowUntilItsTimerFires) {
    struct Case {
        bool custom;
        const wchar_t* focus;
    };
    int draw = 0;
    for (const Case c : {Case{false, L"cmdRand"}, Case{true, L"cmdSelect"}}) {
        SCOPED_TRACE(c.custom ? "Select" : "random");
        Restart(true);
        AddImage(L"D:\\Pics\\a.jpg");
        Start();
        ASSERT_NE(state().ActiveDesktop, 0);
        ASSERT_FALSE(program().backdrop.IsLoaded());
        program().random = [&draw] { return (draw++ % 2) / 1000000.0; };
        api.calls.clear();
        // Nothing covers the screen yet while the busy window is drawn.
        std::vector<bool> coveredAtDoEvents;
        hl::SetDoEventsHook([&] { coveredAtDoEvents.push_back(BackdropShown()); });
        Choose(c.custom);
        hl::SetDoEventsHook(nullptr);
        ASSERT_FALSE(coveredAtDoEvents.empty());
        EXPECT_FALSE(coveredAtDoEvents.back());

        ASSERT_TRUE(BackdropShown());
        selector::frmBack& back = *program().backdrop.IfLoaded();
        EXPECT_EQ(back.Style().border, tk::BorderStyle::None);
        EXPECT_EQ(back.Style().windowState, tk::WindowState::Maximized);
        EXPECT_EQ(back.Style().backColor, tk::kBlack);
        EXPECT_FALSE(back.Style().showInTaskbar);
        EXPECT_EQ(hl::PositionOf(back).x, 0);
        EXPECT_EQ(hl::PositionOf(back).y, 0);
        EXPECT_EQ(back.Width(), tk::Screen::Width());
        EXPECT_EQ(back.Height(), tk::Screen::Height());
        EXPECT_FALSE(back.BGPic.Visible());
        // An ordinary window: the topmost choice window stays in front of it.
        for (const std::wstring& call : api.CallsTo(L"SetWindowPos")) {
            EXPECT_EQ(call.find(L"SetWindowPos(" + std::to_wstring(back.Hwnd()) + L","),
                      std::wstring::npos);
        }
        EXPECT_TRUE(hl::IsShown(*choice));
        EXPECT_FALSE(AnyButtonEnabled());
        EXPECT_EQ(hl::MousePointer(), tk::kPointerHourglass);
        EXPECT_EQ(api.CallsTo(L"PostMessageA"), std::vector<std::wstring>{Refresh()});
        EXPECT_EQ(back.Timer1.Interval(), 750);
        EXPECT_TRUE(hl::IsTimerRunning(back.Timer1));
        EXPECT_FALSE(hl::IsTimerRunning(choice->Timer1));

        hl::AdvanceClock(749);
        EXPECT_TRUE(BackdropShown());
        EXPECT_FALSE(AnyButtonEnabled());
        hl::AdvanceClock(1);
        EXPECT_FALSE(program().backdrop.IsLoaded());
        EXPECT_TRUE(AllButtonsEnabled());
        EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
        ASSERT_NE(choice->ActiveControl(), nullptr);
        EXPECT_EQ(choice->ActiveControl()->Name(), c.focus);
        EXPECT_TRUE(hl::IsShown(*choice));

        // The next change brings a fresh backdrop, with the same cycle.
        Choose(c.custom);
        EXPECT_TRUE(BackdropShown());
        EXPECT_EQ(api.CallsTo(L"PostMessageA").size(), 2u);
        hl::AdvanceClock(750);
        EXPECT_FALSE(program().backdrop.IsLoaded());
        EXPECT_TRUE(AllButtonsEnabled());
        EXPECT_EQ(choice->ActiveControl()->Name(), c.focus);
        choice->Unload();
    }
}

// The screen is covered before the desktop is told of the new wallpaper, for the random choice
// and for Select in the browser alike.
TEST_F(Backdrop, IsUpBeforeTheWallpaperCall) {
    for (const bool custom : {false, true}) {
        SCOPED_TRACE(custom ? "Select" : "random");
        Restart(true);
        AddImage(L"D:\\Pics\\a.jpg");
        Start();
        std::vector<bool> covered;
        api.onWallpaperCall = [&] { covered.push_back(BackdropShown()); };
        Choose(custom);
        api.onWallpaperCall = nullptr;
        EXPECT_EQ(covered, std::vector<bool>{true});
        hl::AdvanceClock(750);
        choice->Unload();
    }
}

TEST_F(Backdrop, PlainDesktopNeverShowsIt) {
    Restart(false);
    AddImage(L"D:\\Pics\\a.jpg");
    Start();
    ASSERT_EQ(state().ActiveDesktop, 0);
    int shown = 0;
    hl::SetDoEventsHook([&] { shown += BackdropShown(); });
    int draw = 0;
    program().random = [&draw] { return (draw++ % 2) / 1000000.0; };
    for (const bool custom : {false, true, false}) {
        Choose(custom);
        shown += BackdropShown();
        // The converted picture went through it all the same, but its timer stays off.
        ASSERT_TRUE(program().backdrop.IsLoaded());
        EXPECT_FALSE(hl::IsTimerRunning(program().backdrop->Timer1));
        EXPECT_TRUE(hl::IsTimerRunning(choice->Timer1));
        hl::AdvanceClock(750);
        EXPECT_TRUE(AllButtonsEnabled());
    }
    hl::SetDoEventsHook(nullptr);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(api.CallsTo(L"PostMessageA").empty());
    choice->Unload();
}

TEST_F(Backdrop, ClosingTheChoiceWindowWhileItIsUpClosesItWithoutHandingBack) {
    Start();
    program().random = [] { return 0.0; };
    choice->cmdRand.OnUserPress();
    ASSERT_TRUE(BackdropShown());
    ASSERT_FALSE(AnyButtonEnabled());
    hl::AdvanceClock(300);
    choice->OnUserClose();
    EXPECT_NE(state().Exiting, 0);
    EXPECT_FALSE(program().backdrop.IsLoaded());
    EXPECT_FALSE(choice->IsLoaded());
    // No attempt to give the closing window its buttons back.
    EXPECT_FALSE(AnyButtonEnabled());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerHourglass);
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_TRUE(hl::QuitRequested());
    hl::AdvanceClock(2000);  // the timer that was running is gone with its window
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_EQ(hl::MousePointer(), tk::kPointerHourglass);
}

TEST_F(Backdrop, LogonRunOnAnHtmlDesktopEndsBeforeTheTimerWithoutHandingBack) {
    program().random = [] { return 0.000002; };
    tk::Screen::SetMousePointer(tk::kPointerHourglass);  // any hand-back would reset this
    Start(L"/p %1");
    EXPECT_NE(state().ActiveDesktop, 0);
    EXPECT_EQ(api.String(selector::kRegCurrentFile), L"D:\\Pics\\c.jpg");
    EXPECT_EQ(api.wallpaper, L"C:\\Murivale\\alice_Wallpaper.bmp");
    EXPECT_EQ(api.CallsTo(L"PostMessageA"), std::vector<std::wstring>{Refresh()});
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_FALSE(program().backdrop.IsLoaded());
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_TRUE(hl::QuitRequested());
    hl::AdvanceClock(2000);
    EXPECT_EQ(hl::MousePointer(), tk::kPointerHourglass);
    EXPECT_EQ(tk::LoadedFormCount(), 0);
}

TEST_F(Backdrop, DefaultBackgroundOnAnHtmlDesktopIsNotCoveredAndEndsTheProgram) {
    Start();
    int covered = 0;
    hl::SetDoEventsHook([&] { covered += BackdropShown(); });
    choice->cmdBase.OnUserPress();
    hl::SetDoEventsHook(nullptr);
    EXPECT_EQ(covered, 0);
    EXPECT_EQ(api.CallsTo(L"PostMessageA"), std::vector<std::wstring>{Refresh()});
    EXPECT_EQ(api.wallpaper, L"C:\\Murivale\\alice_Wallpaper.bmp");
    EXPECT_FALSE(program().backdrop.IsLoaded());
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    hl::AdvanceClock(2000);
    EXPECT_EQ(tk::LoadedFormCount(), 0);
}

TEST_F(Backdrop, FailedChangeClosesItAndGivesTheChoiceWindowBack) {
    AddFile(L"D:\\Pics\\b.jpg", "not a picture");
    Start();
    choice->cmdSelect.OnUserPress();
    program().browser->File1.OnUserSelect(2);  // b.jpg
    ASSERT_TRUE(program().browser->Label4.Visible());
    program().browser->cmdChoose.OnUserPress();
    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_FALSE(program().backdrop.IsLoaded());
    EXPECT_TRUE(hl::IsShown(*choice));
    EXPECT_TRUE(AllButtonsEnabled());
    EXPECT_TRUE(choice->cmdSelect.HasFocus());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
    EXPECT_TRUE(api.CallsTo(L"PostMessageA").empty());
    hl::AdvanceClock(2000);
    EXPECT_TRUE(AllButtonsEnabled());
    choice->Unload();
}

}  // namespace
