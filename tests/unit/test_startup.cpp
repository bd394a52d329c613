// Murivale's start-up: system check, configuration, current wallpaper, second instance,
// command line, catalogue, and how the choice window is presented.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "selector/frmLoad.h"
#include "selector/frmSel.h"
#include "services/Registry.h"
#include "tests/unit/ProgramFixture.h"

namespace {

namespace hl = tk::headless;
using testing_support::MurivaleTest;

class Startup : public MurivaleTest {
protected:
    void ConfigureWithImages(std::initializer_list<const wchar_t*> names) {
        Configure();
        for (const wchar_t* name : names) AddImage(std::wstring(L"D:\\Pics\\") + name);
    }
};

TEST_F(Startup, UnsupportedSystemsAreRefusedWithTheStopMessage) {
    struct Case {
        std::uint32_t platform, major, minor;
        std::uint8_t product;
    };
    for (const Case c : {Case{2, 4, 0, 1}, Case{2, 5, 2, 3}, Case{2, 6, 0, 1}}) {
        SCOPED_TRACE(c.major * 10 + c.minor);
        hl::Reset();
        selector::StartProgram(api);
        api.SetVersion(c.platform, c.major, c.minor, c.product);
        ConfigureWithImages({L"a.jpg", L"b.jpg"});
        Start();
        ASSERT_EQ(hl::MessageBoxes().size(), 1u);
        EXPECT_EQ(hl::MessageBoxes()[0].text,
                  L"Invalid Operating System\r\nMurivale not operable on this operating system.");
        EXPECT_EQ(hl::MessageBoxes()[0].title, L"Error");
        EXPECT_EQ(hl::MessageBoxes()[0].style, 16);
        EXPECT_FALSE(choice->IsLoaded());
        EXPECT_EQ(tk::LoadedFormCount(), 0);
    }
}

TEST_F(Startup, Windows9xAndThe2000FamilyGoOn) {
    for (const bool nineX : {true, false}) {
        hl::Reset();
        selector::StartProgram(api);
        if (nineX) api.SetVersion(1, 4, 10); else api.SetVersion(2, 5, 0, 1);
        ConfigureWithImages({L"a.jpg", L"b.jpg"});
        Start();
        EXPECT_TRUE(hl::MessageBoxes().empty());
        EXPECT_TRUE(hl::IsShown(*choice));
        choice->Unload();
    }
}

TEST_F(Startup, MissingFolderOrBaseFileAsksForTheSetupProgram) {
    for (const bool folderMissing : {true, false}) {
        hl::Reset();
        selector::StartProgram(api);
        ConfigureWithImages({L"a.jpg", L"b.jpg"});
        api.SetString(folderMissing ? selector::kRegFolderPath : selector::kRegBaseFile, L"");
        Start();
        ASSERT_EQ(hl::MessageBoxes().size(), 1u);
        EXPECT_EQ(hl::MessageBoxes()[0].text, L"Configuration not found!\r\n\r\nRun Tessaban.exe first!");
        EXPECT_EQ(hl::MessageBoxes()[0].style, 0);
        EXPECT_EQ(tk::LoadedFormCount(), 0);
    }
}

TEST_F(Startup, OwnBitmapOnScreenMeansTheRecordedImageIsCurrent) {
    ConfigureWithImages({L"a.jpg", L"sea.jpg"});
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\Murivale\\alice_Wallpaper.bmp");
    api.SetString(selector::kRegCurrentFile, L"D:\\Pics\\sea.jpg");
    Start();
    EXPECT_EQ(state().CurrentFile, L"sea.jpg");
    EXPECT_EQ(state().CurrentIndex, 1);
    EXPECT_EQ(program().browser->File1.ListIndex(), 2);
    choice->Unload();
}

TEST_F(Startup, BitmapNameInOtherLetterCaseIsSomeoneElsesWallpaper) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\Murivale\\ALICE_WALLPAPER.BMP");
    api.SetString(selector::kRegCurrentFile, L"D:\\Pics\\a.jpg");
    Start();
    EXPECT_EQ(state().CurrentFile, L"C:\\Murivale\\ALICE_WALLPAPER.BMP");
    EXPECT_EQ(state().CurrentIndex, -1);
    EXPECT_EQ(program().browser->File1.ListIndex(), 0);
    choice->Unload();
}

TEST_F(Startup, PlaceholdersAreExpandedInTheirExactLetterCase) {
    api.windowsDir = L"X:\\WINDOWS";
    struct Case {
        const wchar_t* stored;
        const wchar_t* current;
    };
    for (const Case c : {Case{L"%SystemRoot%\\Web\\pic.bmp", L"X:\\WINDOWS\\Web\\pic.bmp"},
                         Case{L"%SystemDrive%\\pic.bmp", L"X:\\pic.bmp"},
                         Case{L"%systemroot%\\pic.bmp", L"%systemroot%\\pic.bmp"},
                         Case{L"", L""}}) {
        hl::Reset();
        selector::StartProgram(api);
        ConfigureWithImages({L"a.jpg", L"b.jpg"});
        api.SetString(selector::kRegDesktopWallpaper, c.stored);
        Start();
        EXPECT_EQ(state().CurrentFile, c.current);
        EXPECT_EQ(state().WindowsDir, L"X:\\WINDOWS");
        choice->Unload();
    }
}

TEST_F(Startup, FolderPrefixIsRemovedOnlyInItsExactLetterCase) {
    struct Case {
        const wchar_t* stored;
        const wchar_t* current;
    };
    for (const Case c : {Case{L"D:\\Pics\\sea.jpg", L"sea.jpg"},
                         Case{L"d:\\pics\\sea.jpg", L"d:\\pics\\sea.jpg"},
                         Case{L"D:\\Pics\\Old\\sea.jpg", L"Old\\sea.jpg"}}) {
        hl::Reset();
        selector::StartProgram(api);
        ConfigureWithImages({L"a.jpg", L"sea.jpg"});
        api.SetString(selector::kRegDesktopWallpaper, c.stored);
        Start();
        EXPECT_EQ(state().CurrentFile, c.current);
        choice->Unload();
    }
}

TEST_F(Startup, FailedWindowsFolderQueryLeavesPlaceholdersEmpty) {
    api.windowsDir.reset();
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    api.SetString(selector::kRegDesktopWallpaper, L"%SystemRoot%\\x.bmp");
    Start();
    EXPECT_EQ(state().WindowsDir, L"");
    EXPECT_EQ(state().CurrentFile, L"\\x.bmp");
    choice->Unload();
}

TEST_F(Startup, SecondInstanceBringsTheFirstForwardAndEndsWithoutReadingTheCommandLine) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    hl::SetPreviousInstance(true);
    Start(L"/p %1");
    EXPECT_EQ(hl::ActivatedTitles(), std::vector<std::wstring>{L"Murivale"});
    EXPECT_EQ(hl::SentKeys(), std::vector<std::wstring>{L"+"});
    EXPECT_EQ(state().StartupParam, L"");
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_TRUE(hl::MessageBoxes().empty());
}

TEST_F(Startup, SecondInstanceEndsEvenWhenTheFirstHasNoWindowYet) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    hl::SetPreviousInstance(true);
    hl::SetActivationSucceeds(false);
    Start();
    EXPECT_EQ(tk::LoadedFormCount(), 0);
}

TEST_F(Startup, ByHandTheChoiceWindowIsClippedShownCentredAndTopmost) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    Start();
    ASSERT_TRUE(hl::IsShown(*choice));
    // 2535 x 2550 twips outer on a 15360 x 11520 twip screen: 7680 - 1267 and 5760 - 1275.
    EXPECT_EQ(choice->Left(), 6405);
    EXPECT_EQ(choice->Top(), 4485);
    const auto hwnd = std::to_wstring(choice->Hwnd());
    EXPECT_EQ(api.CallsTo(L"SetWindowRgn").back(),
              L"SetWindowRgn(" + hwnd + L", " +
                  std::to_wstring(api.windowRegion.at(choice->Hwnd())) + L", -1)");
    EXPECT_EQ(api.regions.at(api.windowRegion.at(choice->Hwnd())),
              (fakes::FakeWinApi::Rect{4, 29, 165, 166}));
    EXPECT_EQ(api.CallsTo(L"SetWindowPos").back(),
              L"SetWindowPos(" + hwnd + L", -1, 427, 299, 0, 0, 81)");
    EXPECT_FALSE(program().loading.IsLoaded());
    EXPECT_TRUE(program().browser.IsLoaded());
    EXPECT_FALSE(hl::IsShown(*program().browser));
    EXPECT_EQ(program().browser->lblRes.Caption(), L"1024x768");
    choice->Unload();
    EXPECT_EQ(tk::LoadedFormCount(), 0);
}

TEST_F(Startup, CommandLineDecidesBetweenLogonRunAndStartByHand) {
    struct Case {
        const wchar_t* line;
        bool logon;
    };
    for (const Case c : {Case{L"", false}, Case{L"/p %1", true}, Case{L"/P %1", true},
                         Case{L"  /p   %1  ", true}, Case{L"/p x", false}, Case{L"/q %1", false},
                         Case{L"p %1", false}}) {
        SCOPED_TRACE(base::ToUtf8(c.line));
        hl::Reset();
        api.calls.clear();
        selector::StartProgram(api);
        ConfigureWithImages({L"a.jpg", L"b.jpg", L"c.jpg"});
        Start(c.line);
        EXPECT_EQ(hl::IsShown(*choice), !c.logon);
        EXPECT_EQ(tk::LoadedFormCount() == 0, c.logon);
        EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), c.logon ? 1u : 0u);
        if (choice->IsLoaded()) choice->Unload();
    }
}

TEST_F(Startup, LogonRunNeverShowsAWindow) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    int shownDuringRun = 0;
    hl::SetDoEventsHook([&] {
        shownDuringRun += hl::IsShown(*choice);
        if (program().loading.IsLoaded()) shownDuringRun += hl::IsShown(*program().loading);
    });
    Start(L"/p %1");
    EXPECT_EQ(shownDuringRun, 0);
    EXPECT_FALSE(program().loading.IsLoaded());
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_TRUE(hl::QuitRequested());
}

// At logon, pending events run once just before the random choice, so that the desktop can
// settle before the wallpaper changes.
TEST_F(Startup, LogonRunLetsPendingEventsRunOnceBeforeTheWallpaperCall) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    std::vector<int> eventsBeforeCall;
    api.onWallpaperCall = [&] { eventsBeforeCall.push_back(hl::DoEventsCount()); };
    Start(L"/p %1");
    EXPECT_EQ(eventsBeforeCall, std::vector<int>{1});
}

// The loading window seen during a start by hand: a small tool window in the middle of the
// screen, holding only its progress bar.
TEST_F(Startup, LoadingWindowIsASmallCentredToolWindowFilledByItsBar) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    // The wallpaper is a catalogue entry: its preview lets events run while the window is up.
    api.SetString(selector::kRegDesktopWallpaper, L"D:\\Pics\\a.jpg");
    std::optional<tk::PointPx> shownAt;
    hl::SetDoEventsHook([&] {
        if (const selector::frmLoad* loading = program().loading.IfLoaded()) {
            const tk::FormStyle& style = loading->Style();
            EXPECT_EQ(style.caption, L"Loading Murivale...");
            EXPECT_EQ(style.border, tk::BorderStyle::FixedToolWindow);
            EXPECT_FALSE(style.icon);
            EXPECT_FALSE(style.showInTaskbar);
            EXPECT_FALSE(style.minButton);
            EXPECT_FALSE(style.maxButton);
            EXPECT_EQ(style.clientWidth, 2295);
            EXPECT_EQ(style.clientHeight, 255);
            const tk::RectTwips& bar = loading->pBar.Bounds();
            EXPECT_EQ((std::vector<int>{bar.left, bar.top, bar.width, bar.height}),
                      (std::vector<int>{0, 0, 2295, 255}));
            EXPECT_EQ(loading->pBar.Min(), 0.0f);
            EXPECT_EQ(loading->pBar.Max(), 100.0f);
            if (hl::IsShown(*loading)) shownAt = hl::PositionOf(*loading);
        }
    });
    Start();
    hl::SetDoEventsHook(nullptr);
    ASSERT_TRUE(shownAt.has_value()) << "the loading window was never shown";
    // 2295 x 255 twips are 153 x 17 pixels; the frame and small caption make it a little larger.
    EXPECT_NEAR(shownAt->x, (1024 - 153) / 2, 10);
    EXPECT_NEAR(shownAt->y, (768 - 17) / 2, 20);
    choice->Unload();
}

TEST_F(Startup, FoldersThatCannotBeCataloguedEndTheStartWithAMessageByHand) {
    struct Case {
        int images;
        bool folderExists;
    };
    for (const Case c : {Case{0, true}, Case{1, true}, Case{0, false}}) {
        hl::Reset();
        selector::StartProgram(api);
        Configure(c.folderExists ? L"D:\\Pics\\" : L"D:\\Gone\\");
        for (int i = 0; i < c.images; ++i) AddImage(L"D:\\Pics\\only.jpg");
        Start();
        ASSERT_EQ(hl::MessageBoxes().size(), 1u);
        EXPECT_EQ(hl::MessageBoxes()[0].title, L"Error");
        EXPECT_NE(hl::MessageBoxes()[0].text.find(c.folderExists ? L"D:\\Pics\\" : L"D:\\Gone\\"),
                  std::wstring::npos);
        EXPECT_EQ(tk::LoadedFormCount(), 0);
    }
}

TEST_F(Startup, AtLogonAnUncataloguableFolderEndsQuietlyAndLeavesTheWallpaper) {
    Configure();
    AddImage(L"D:\\Pics\\only.jpg");
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\old.bmp");
    Start(L"/p %1");
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
    EXPECT_EQ(api.String(selector::kRegDesktopWallpaper), L"C:\\old.bmp");
    EXPECT_EQ(tk::LoadedFormCount(), 0);
}

TEST_F(Startup, CatalogueHoldsOnlyVisibleImagesDirectlyInTheFolder) {
    ConfigureWithImages({L"b.jpg", L"A.gif", L"a.jpg", L"1.bmp", L"photo.jpeg", L"photo.JPG",
                         L"x.dib"});
    AddImage(L"D:\\Pics\\photo.png");
    AddImage(L"D:\\Pics\\Old\\deep.jpg");
    AddImage(L"D:\\Pics\\.hidden.jpg");
    Start();
    EXPECT_EQ(state().ImageFiles,
              (std::vector<std::wstring>{L"1.bmp", L"A.gif", L"a.jpg", L"b.jpg", L"photo.jpeg",
                                         L"photo.JPG", L"x.dib"}));
    EXPECT_EQ(state().FileCount, 7);
    const tk::ListBox& list = program().browser->File1;
    ASSERT_EQ(list.ListCount(), 8);
    EXPECT_EQ(list.List(0), L"(None)");
    EXPECT_EQ(list.List(1), L"1.bmp");
    choice->Unload();
}

}  // namespace

TEST_F(Startup, WallpaperOnScreenIsReadFromControlPanelWhereTheShellKeepsNone) {
    struct Case {
        const char* what;
        const wchar_t* controlPanel;
        const wchar_t* current;
    };
    const Case cases[] = {
        {"own bitmap", L"C:\\Murivale\\alice_Wallpaper.bmp", L"sea.jpg"},
        {"someone else's picture", L"C:\\Users\\alice\\Themes\\TranscodedWallpaper",
         L"C:\\Users\\alice\\Themes\\TranscodedWallpaper"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        hl::Reset();
        selector::StartProgram(api);
        ConfigureWithImages({L"a.jpg", L"sea.jpg"});
        api.SetString(selector::kRegDesktopWallpaper, L"");
        api.SetString(selector::kRegControlPanelWallpaper, c.controlPanel);
        api.SetString(selector::kRegCurrentFile, L"D:\\Pics\\sea.jpg");
        Start();
        EXPECT_EQ(state().CurrentFile, c.current);
        choice->Unload();
    }
}

// Windows 7 and later write only the Control Panel's value when the user picks a wallpaper in
// the settings; the shell's value still names Murivale's bitmap then. The wallpaper on screen is
// whichever came last, in either order of events.
TEST_F(Startup, WallpaperOnScreenIsTheLastOneSetWhetherByMurivaleOrInTheSettings) {
    constexpr wchar_t kOwn[] = L"C:\\Murivale\\alice_Wallpaper.bmp";
    constexpr wchar_t kCat[] = L"C:\\Users\\alice\\Pictures\\cat.jpg";
    const auto murivaleApplies = [&](const wchar_t* image) {
        api.SetString(selector::kRegCurrentFile, image);
        api.SetString(selector::kRegDesktopWallpaper, kOwn);
        api.SetString(selector::kRegControlPanelWallpaper, kOwn);
    };
    const auto userPicksInSettings = [&](const wchar_t* picture) {
        api.SetString(selector::kRegControlPanelWallpaper, picture);
    };
    struct Step {
        std::function<void()> event;
        std::wstring current;  // the field CurrentFile at the next start
        int index;             // the entry preselected then
    };
    const std::vector<std::vector<Step>> orders = {
        {{[&] { murivaleApplies(L"D:\\Pics\\sea.jpg"); }, L"sea.jpg", 1},
         {[&] { userPicksInSettings(kCat); }, kCat, -1}},
        {{[&] { userPicksInSettings(kCat); }, kCat, -1},
         {[&] { murivaleApplies(L"D:\\Pics\\sea.jpg"); }, L"sea.jpg", 1}},
    };
    for (std::size_t order = 0; order < orders.size(); ++order) {
        SCOPED_TRACE(order == 0 ? "Murivale first" : "settings first");
        api.SetString(selector::kRegDesktopWallpaper, L"");
        api.SetString(selector::kRegControlPanelWallpaper, L"");
        for (const Step& step : orders[order]) {
            step.event();
            hl::Reset();
            selector::StartProgram(api);
            ConfigureWithImages({L"a.jpg", L"sea.jpg"});
            Start();
            EXPECT_EQ(state().CurrentFile, step.current);
            EXPECT_EQ(state().CurrentIndex, step.index);
            choice->Unload();
        }
    }
}

// An error that escapes the program's own handling (here the wallpaper call itself fails in a
// way nothing expects) must not end a logon run with a dialog or a crash: the run ends quietly.
// Started by hand, the user is told once and the choice window stays.
TEST_F(Startup, UnexpectedErrorEndsALogonRunQuietlyAndIsReportedOnceByHand) {
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    api.onWallpaperCall = [] { throw std::runtime_error("the desktop went away"); };
    Start(L"/p %1");
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(tk::LoadedFormCount(), 0);

    hl::Reset();
    selector::StartProgram(api);
    ConfigureWithImages({L"a.jpg", L"b.jpg"});
    Start();
    ASSERT_TRUE(hl::IsShown(*choice));
    EXPECT_FALSE(tk::RunGuarded([] { throw std::runtime_error("the desktop went away"); }));
    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].title, L"Murivale");
    EXPECT_NE(hl::MessageBoxes()[0].text.find(L"the desktop went away"), std::wstring::npos);
    EXPECT_TRUE(hl::IsShown(*choice));
    choice->Unload();
}
