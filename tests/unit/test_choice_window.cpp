// The choice window: the random choice, the buttons' busy cycle and its timer, the keyboard,
// and how the window's closing ends the program.
#include <gtest/gtest.h>

#include <random>

#include "selector/frmBack.h"
#include "selector/frmLoad.h"
#include "selector/frmSel.h"
#include "tests/unit/ProgramFixture.h"

namespace {

namespace hl = tk::headless;
using testing_support::MurivaleTest;

class ChoiceWindow : public MurivaleTest {
protected:
    void Restart() {
        choice.reset();
        hl::Reset();
        api = testing_support::HostFilesWinApi{};
        api.SetVersion(2, 5, 1, 1);
        selector::StartProgram(api);
    }

    void WithImages(std::initializer_list<const wchar_t*> names) {
        Configure();
        for (const wchar_t* name : names) AddImage(std::wstring(L"D:\\Pics\\") + name);
    }

    // Draws that give these values of r * 1,000,000, in turn, over and over; counts the draws.
    void DrawScaled(std::vector<double> values) {
        program().random = [this, values, next = std::size_t{0}]() mutable {
            ++draws;
            return values[next++ % values.size()] / 1000000.0;
        };
    }

    std::vector<std::wstring> Buttons() const {
        std::vector<std::wstring> enabled;
        for (const tk::Button* b :
             {&choice->cmdRand, &choice->cmdBase, &choice->cmdSelect, &choice->cmdCurrent}) {
            if (b->Enabled()) enabled.push_back(b->Name());
        }
        return enabled;
    }

    // One random pick by hand, waited out; returns the index picked.
    int PickRandom() {
        choice->cmdRand.OnUserPress();
        hl::AdvanceClock(750);
        return state().CurrentIndex;
    }

    int draws = 0;
};

const std::vector<std::wstring> kAllButtons = {L"cmdRand", L"cmdBase", L"cmdSelect",
                                               L"cmdCurrent"};

TEST_F(ChoiceWindow, TwoImagesAlternateWhicheverComesFirst) {
    for (const int first : {0, 1}) {
        SCOPED_TRACE(first);
        Restart();
        WithImages({L"a.jpg", L"b.jpg"});
        Start();
        // The draws stay on one index for a while, as a clock-seeded generator may.
        DrawScaled(first == 0 ? std::vector<double>{0, 0, 0, 1, 1, 1}
                              : std::vector<double>{1, 1, 1, 0, 0, 0});
        std::vector<int> picks;
        for (int i = 0; i < 8; ++i) picks.push_back(PickRandom());
        for (std::size_t i = 0; i < picks.size(); ++i) {
            EXPECT_EQ(picks[i], (first + static_cast<int>(i)) % 2) << "pick " << i;
        }
        EXPECT_EQ(state().CurrentFile, picks.back() == 0 ? L"a.jpg" : L"b.jpg");
        choice->Unload();
    }
}

TEST_F(ChoiceWindow, RandomPickNeverRepeatsThePreviousOneAndReachesEveryImage) {
    for (const int count : {3, 5}) {
        SCOPED_TRACE(count);
        Restart();
        Configure();
        for (int i = 0; i < count; ++i) {
            AddImage(L"D:\\Pics\\img" + std::to_wstring(i) + L".jpg");
        }
        Start();
        std::mt19937 generator(1234u + static_cast<unsigned>(count));
        program().random = [&generator] {
            return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
        };
        std::set<int> seen;
        int last = -1;
        std::size_t wallpaperCalls = 0;
        for (int i = 0; i < 60; ++i) {
            const int pick = PickRandom();
            ASSERT_NE(pick, last) << "pick " << i;
            ASSERT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), ++wallpaperCalls);
            seen.insert(pick);
            last = pick;
        }
        EXPECT_EQ(static_cast<int>(seen.size()), count);
        choice->Unload();
    }
}

TEST_F(ChoiceWindow, FirstRandomPickMayBeTheWallpaperInForceAtStart) {
    WithImages({L"a.jpg", L"b.jpg", L"c.jpg"});
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\Murivale\\alice_Wallpaper.bmp");
    api.SetString(selector::kRegCurrentFile, L"D:\\Pics\\b.jpg");
    Start();
    ASSERT_EQ(state().CurrentIndex, 1);
    DrawScaled({1});
    choice->cmdRand.OnUserPress();
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(state().CurrentIndex, 1);
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), 1u);
    EXPECT_EQ(api.String(selector::kRegCurrentFile), L"D:\\Pics\\b.jpg");
    hl::AdvanceClock(750);
    choice->Unload();
}

TEST_F(ChoiceWindow, DrawIsScaledToAMillionRoundedHalfToEvenThenTakenModuloTheCount) {
    struct Case {
        double r;
        const wchar_t* image;
    };
    // With three images: 0 -> 0; 0.5 -> 500000 -> 2; 1/128 -> 7812.5 -> 7812 -> 0;
    // 3/128 -> 23437.5 -> 23438 -> 2; 1e-6 -> 1 -> 1.
    for (const Case c : {Case{0.0, L"a.jpg"}, Case{0.5, L"c.jpg"}, Case{1.0 / 128, L"a.jpg"},
                         Case{3.0 / 128, L"c.jpg"}, Case{0.000001, L"b.jpg"}}) {
        SCOPED_TRACE(c.r);
        Restart();
        WithImages({L"c.jpg", L"a.jpg", L"b.jpg"});
        program().random = [&c] { return c.r; };
        Start(L"/p %1");  // a logon run picks once, from the whole catalogue
        EXPECT_EQ(api.String(selector::kRegCurrentFile), std::wstring(L"D:\\Pics\\") + c.image);
        EXPECT_EQ(tk::LoadedFormCount(), 0);
    }
}

// The order in which a logon run would try the other images is drawn only when the drawn one
// cannot be used: an ordinary logon with a full folder draws once, not once per image.
TEST_F(ChoiceWindow, LogonRunThatAppliesItsPickDrawsOnce) {
    Configure();
    for (int i = 0; i < 500; ++i) AddImage(L"D:\\Pics\\p" + std::to_wstring(1000 + i) + L".jpg");
    DrawScaled({7});
    Start(L"/p %1");
    EXPECT_EQ(api.String(selector::kRegCurrentFile), L"D:\\Pics\\p1007.jpg");
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(tk::LoadedFormCount(), 0);
}

TEST_F(ChoiceWindow, SingleImageCatalogueMakesNoRandomChange) {
    WithImages({L"a.jpg", L"b.jpg"});
    Start();
    state().FileCount = 1;
    const std::int16_t index = state().CurrentIndex;
    DrawScaled({0, 1});
    choice->cmdRand.OnUserPress();
    EXPECT_EQ(draws, 0);
    EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
    EXPECT_FALSE(api.HasValue(selector::kRegCurrentFile));
    EXPECT_EQ(state().CurrentIndex, index);
    choice->Unload();
}

TEST_F(ChoiceWindow, RandomCycleIsBusyUntilTheTimerFiresOnce) {
    WithImages({L"a.jpg", L"b.jpg"});
    Start();
    ASSERT_EQ(Buttons(), kAllButtons);
    DrawScaled({0});
    struct Seen {
        std::vector<std::wstring> buttons;
        int pointer;
        std::size_t wallpaperCalls;
    };
    std::vector<Seen> seen;
    hl::SetDoEventsHook([&] {
        seen.push_back({Buttons(), hl::MousePointer(), api.CallsTo(L"SystemParametersInfoA").size()});
    });
    choice->cmdRand.OnUserPress();
    hl::SetDoEventsHook(nullptr);
    // The window is drawn busy before the work starts.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].buttons.empty());
    EXPECT_EQ(seen[0].pointer, tk::kPointerHourglass);
    EXPECT_EQ(seen[0].wallpaperCalls, 0u);
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), 1u);
    EXPECT_EQ(state().ChoiceMode, 1);

    EXPECT_TRUE(Buttons().empty());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerHourglass);
    // No second choice can start meanwhile, by mouse or keyboard.
    choice->cmdRand.OnUserPress();
    choice->OnUserEnter();
    choice->OnUserEscape();
    choice->cmdSelect.OnUserPress();
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), 1u);
    EXPECT_TRUE(hl::IsShown(*choice));
    EXPECT_FALSE(hl::IsShown(*program().browser));
    EXPECT_EQ(choice->Timer1.Interval(), 750);
    hl::AdvanceClock(749);
    EXPECT_TRUE(Buttons().empty());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerHourglass);
    hl::AdvanceClock(1);
    EXPECT_EQ(Buttons(), kAllButtons);
    EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
    EXPECT_TRUE(choice->cmdRand.HasFocus());
    EXPECT_FALSE(choice->Timer1.Running());
    EXPECT_FALSE(hl::IsTimerRunning(choice->Timer1));
    // Once only: the focus moved by the user stays where it is.
    ASSERT_TRUE(choice->cmdCurrent.SetFocus());
    hl::AdvanceClock(3000);
    EXPECT_TRUE(choice->cmdCurrent.HasFocus());
    EXPECT_TRUE(hl::IsShown(*choice));
    choice->Unload();
}

TEST_F(ChoiceWindow, EnableButtonsRestoresThePointerAndFocusesTheButtonOfTheChoice) {
    struct Case {
        std::int16_t mode;
        const wchar_t* param;
        const wchar_t* focus;  // null: left where it was
    };
    for (const Case c : {Case{0, L"", L"cmdSelect"}, Case{0, L"%1", L"cmdSelect"},
                         Case{1, L"", L"cmdRand"}, Case{1, L"x", L"cmdRand"},
                         Case{1, L"%1", nullptr}, Case{-1, L"", nullptr}}) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << base::ToUtf8(c.param));
        Restart();
        WithImages({L"a.jpg", L"b.jpg"});
        Start();
        ASSERT_TRUE(choice->cmdCurrent.SetFocus());
        choice->cmdBase.SetEnabled(false);
        choice->cmdRand.SetEnabled(false);
        choice->cmdSelect.SetEnabled(false);
        tk::Screen::SetMousePointer(tk::kPointerHourglass);
        state().ChoiceMode = c.mode;
        state().StartupParam = c.param;
        choice->EnableButtons();
        EXPECT_EQ(Buttons(), kAllButtons);
        EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
        ASSERT_NE(choice->ActiveControl(), nullptr);
        EXPECT_EQ(choice->ActiveControl()->Name(), c.focus ? c.focus : L"cmdCurrent");
        choice->Unload();
    }
}

TEST_F(ChoiceWindow, EnterPressesRandomAndEscapeKeepsTheCurrentBackground) {
    for (const bool enter : {true, false}) {
        SCOPED_TRACE(enter ? "Enter" : "Esc");
        Restart();
        WithImages({L"a.jpg", L"b.jpg"});
        api.SetString(selector::kRegDesktopWallpaper, L"C:\\WINDOWS\\clouds.bmp");
        Start();
        DrawScaled({1});
        if (enter) {
            choice->OnUserEnter();
            EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), 1u);
            EXPECT_EQ(state().CurrentFile, L"b.jpg");
            EXPECT_TRUE(hl::IsShown(*choice));
            hl::AdvanceClock(750);
            choice->Unload();
        } else {
            choice->OnUserEscape();
            EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
            EXPECT_EQ(api.String(selector::kRegDesktopWallpaper), L"C:\\WINDOWS\\clouds.bmp");
            EXPECT_EQ(tk::LoadedFormCount(), 0);
        }
    }
}

TEST_F(ChoiceWindow, KeepCurrentAfterARandomPickKeepsThatPick) {
    WithImages({L"a.jpg", L"b.jpg"});
    Start();
    DrawScaled({1});
    PickRandom();
    const std::wstring bitmap = L"C:\\Murivale\\alice_Wallpaper.bmp";
    ASSERT_EQ(api.wallpaper, bitmap);
    choice->cmdCurrent.OnUserPress();
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), 1u);
    EXPECT_EQ(api.String(selector::kRegCurrentFile), L"D:\\Pics\\b.jpg");
    EXPECT_EQ(api.String(selector::kRegDesktopWallpaper), bitmap);
    EXPECT_TRUE(Exists(bitmap));
}

TEST_F(ChoiceWindow, ClosingTheWindowClosesEveryOtherWindowAndEndsTheProgram) {
    struct Case {
        const char* how;
        bool afterPick;
    };
    for (const Case c : {Case{"close box", false}, Case{"close box", true},
                         Case{"keep current", true}}) {
        SCOPED_TRACE(testing::Message() << c.how << (c.afterPick ? " after a pick" : ""));
        Restart();
        WithImages({L"a.jpg", L"b.jpg"});
        Start();
        DrawScaled({0});
        if (c.afterPick) PickRandom();  // the backdrop now exists, hidden
        program().loading.Get();  // and a loading window
        ASSERT_TRUE(program().browser.IsLoaded());
        ASSERT_EQ(program().backdrop.IsLoaded(), c.afterPick);
        if (std::string(c.how) == "close box") {
            choice->OnUserClose();
        } else {
            choice->cmdCurrent.OnUserPress();
        }
        EXPECT_NE(state().Exiting, 0);
        EXPECT_FALSE(choice->IsLoaded());
        EXPECT_FALSE(program().browser.IsLoaded());
        EXPECT_FALSE(program().backdrop.IsLoaded());
        EXPECT_FALSE(program().loading.IsLoaded());
        EXPECT_EQ(tk::LoadedFormCount(), 0);
        EXPECT_TRUE(hl::QuitRequested());
    }
}

TEST_F(ChoiceWindow, OpeningTheBrowserSelectsTheEntryOfTheCurrentIndex) {
    struct Case {
        std::int16_t index;
        int listIndex;
    };
    for (const Case c : {Case{-2, -1}, Case{-1, 0}, Case{0, 1}, Case{2, 3}}) {
        SCOPED_TRACE(c.index);
        Restart();
        WithImages({L"a.jpg", L"b.jpg", L"c.jpg"});
        Start();
        state().CurrentIndex = c.index;
        choice->cmdSelect.OnUserPress();
        selector::frmSel& browser = *program().browser;
        EXPECT_EQ(state().ChoiceMode, 0);
        EXPECT_FALSE(hl::IsShown(*choice));
        EXPECT_TRUE(hl::IsShown(browser));
        EXPECT_EQ(browser.File1.ListIndex(), c.listIndex);
        EXPECT_EQ(state().CurrentIndex, c.index);
        browser.cmdCancel.OnUserPress();
        choice->Unload();
    }
}

TEST_F(ChoiceWindow, ClosedWhileDrawnBusyLeavesNoWindowBehind) {
    // The close box still works while the four buttons are off; the pending choice must not
    // bring up a window of the program after it has ended.
    for (const bool html : {false, true}) {
        for (const bool custom : {false, true}) {
            SCOPED_TRACE(testing::Message() << (html ? "HTML desktop, " : "plain desktop, ")
                                            << (custom ? "Select" : "random"));
            Restart();
            if (html) {
                const services::Handle progman = api.AddWindow(0, L"Progman");
                const services::Handle view = api.AddWindow(progman, L"SHELLDLL_DefView");
                api.AddWindow(view, L"SysListView32");
                api.AddWindow(view, L"Internet Explorer_Server");
            }
            WithImages({L"a.jpg", L"b.jpg"});
            Start();
            DrawScaled({0});
            if (custom) {
                choice->cmdSelect.OnUserPress();
                program().browser->File1.OnUserSelect(2);
            }
            bool closed = false;
            hl::SetDoEventsHook([&] {
                if (closed) return;
                closed = true;
                choice->OnUserClose();
            });
            if (custom) {
                program().browser->cmdChoose.OnUserPress();
            } else {
                choice->cmdRand.OnUserPress();
            }
            hl::SetDoEventsHook(nullptr);
            ASSERT_TRUE(closed);
            EXPECT_NE(state().Exiting, 0);
            EXPECT_TRUE(hl::QuitRequested());
            EXPECT_FALSE(program().backdrop.IsLoaded());
            EXPECT_EQ(tk::LoadedFormCount(), 0);
        }
    }
}

}  // namespace
