// The picture browser: its list, the preview drawn at the share of the screen the image would
// cover, the reported image size, and Select / Cancel back to the choice window.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "selector/frmBack.h"
#include "selector/frmSel.h"
#include "tests/unit/ProgramFixture.h"

namespace {

namespace hl = tk::headless;
using testing_support::MurivaleTest;

constexpr std::uint32_t kOuter = 0x808080;
constexpr std::uint32_t kTopLeft = 0xFF0000, kTopRight = 0x00FF00, kBottomLeft = 0x0000FF,
                        kBottomRight = 0xFFFF00;

// A test picture by fractions of its size: four coloured quarters around the middle, and a grey
// band around the middle half.
std::uint32_t Pattern(double u, double v) {
    if (u < 0.25 || u >= 0.75 || v < 0.25 || v >= 0.75) return kOuter;
    if (v < 0.5) return u < 0.5 ? kTopLeft : kTopRight;
    return u < 0.5 ? kBottomLeft : kBottomRight;
}

std::uint32_t PixelOf(tk::Color color) {
    color = tk::ColorValue(color);
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

class Browser : public MurivaleTest {
protected:
    void Restart() {
        choice.reset();
        hl::Reset();
        api = testing_support::HostFilesWinApi{};
        api.SetVersion(2, 5, 1, 1);
        selector::StartProgram(api);
    }

    void AddPattern(const std::wstring& path, int width, int height) {
        tk::Bitmap b(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                b.at(x, y) = Pattern((x + 0.5) / width, (y + 0.5) / height);
            }
        }
        MakeFolder(path.substr(0, path.rfind(L'\\')));
        tk::SaveBitmapFile(b, path);
    }

    selector::frmSel& browser() { return *program().browser; }
    const tk::Bitmap& Preview() { return browser().picImage.Surface(); }
    std::uint32_t Background() { return PixelOf(browser().picImage.BackColor()); }

    bool PreviewIsEmpty() {
        const std::uint32_t bg = Background();
        for (std::uint32_t p : Preview().pixels) {
            if ((p & 0xFFFFFF) != bg) return false;
        }
        return true;
    }

    // Checks the preview against the pattern drawn at `share` of the box in each direction,
    // centred. Pixels within 1.5 pixels of an edge of the pattern are not judged. Returns how
    // many pixels were judged.
    int ExpectPatternAtShare(double shareX, double shareY) {
        const tk::Bitmap& s = Preview();
        const std::uint32_t bg = Background();
        auto expected = [&](double x, double y) {
            const double u = (x / s.width - 0.5) / shareX + 0.5;
            const double v = (y / s.height - 0.5) / shareY + 0.5;
            if (u < 0 || u >= 1 || v < 0 || v >= 1) return bg;
            return Pattern(u, v);
        };
        int judged = 0, wrong = 0;
        for (int y = 0; y < s.height; ++y) {
            for (int x = 0; x < s.width; ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                const std::uint32_t e = expected(cx, cy);
                bool clear = true;
                for (double d : {-1.5, 1.5}) {
                    clear = clear && expected(cx + d, cy) == e && expected(cx, cy + d) == e;
                }
                if (!clear) continue;
                ++judged;
                if ((s.at(x, y) & 0xFFFFFF) != e && wrong++ < 5) {
                    ADD_FAILURE() << "preview pixel (" << x << ", " << y << ") of " << s.width
                                  << "x" << s.height << " is " << std::hex << s.at(x, y)
                                  << ", expected " << e;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        return judged;
    }

    // Opens the browser from the choice window.
    void Open() { choice->cmdSelect.OnUserPress(); }
    void Pick(int listIndex) { browser().File1.OnUserSelect(listIndex); }
    std::wstring Value(const wchar_t* path) const { return api.String(path).value_or(L"<missing>"); }
};

TEST_F(Browser, ListIsNoneFollowedByTheCatalogueAndTheSelectionIsTheCurrentIndex) {
    Configure();
    for (const wchar_t* name : {L"d.jpg", L"B.gif", L"a.bmp", L"c.jpg"}) {
        AddImage(std::wstring(L"D:\\Pics\\") + name);
    }
    Start();
    const tk::ListBox& list = browser().File1;
    ASSERT_EQ(list.ListCount(), state().FileCount + 1);
    EXPECT_EQ(list.List(0), L"(None)");
    for (int k = 1; k < list.ListCount(); ++k) {
        EXPECT_EQ(list.List(k), state().ImageFiles[static_cast<std::size_t>(k - 1)]);
    }
    EXPECT_EQ(list.Items(),
              (std::vector<std::wstring>{L"(None)", L"a.bmp", L"B.gif", L"c.jpg", L"d.jpg"}));
    Open();
    for (const int k : {3, 0, 4, 1, 2, -1, 0}) {
        SCOPED_TRACE(k);
        browser().File1.SetListIndex(k);  // from code, as the program itself selects
        EXPECT_EQ(state().CurrentIndex, k - 1);
        EXPECT_FALSE(browser().Label1.Visible());
    }
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

TEST_F(Browser, IsCentredTopmostWithoutFrameAndHiddenAfterLoading) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    Start();
    ASSERT_TRUE(browser().IsLoaded());
    EXPECT_FALSE(hl::IsShown(browser()));
    const services::Handle hwnd = browser().Hwnd();
    // 5295 x 3270 twips outer on a 15360 x 11520 screen: 7680 - 2647 and 5760 - 1635.
    EXPECT_EQ(browser().Left(), 5025);  // 5033 twips, kept in whole pixels
    EXPECT_EQ(browser().Top(), 4125);
    const std::wstring pos = L"SetWindowPos(" + std::to_wstring(hwnd) + L", -1, 335, 275, 0, 0, 81)";
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), pos), 1);
    ASSERT_TRUE(api.windowRegion.count(hwnd));
    EXPECT_EQ(api.regions.at(api.windowRegion.at(hwnd)), (fakes::FakeWinApi::Rect{4, 29, 349, 214}));
    choice->Unload();
}

TEST_F(Browser, MovingThroughTheListPreviewsEachEntryInTurn) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg", 10, 11);
    AddImage(L"D:\\Pics\\b.jpg", 20, 21);
    AddImage(L"D:\\Pics\\c.jpg", 30, 31);
    Start();
    Open();
    std::vector<bool> loadingShown;
    hl::SetDoEventsHook([&] { loadingShown.push_back(browser().Label1.Visible()); });
    const wchar_t* sizes[] = {L"10x11", L"20x21", L"30x31"};
    for (int k = 1; k <= 3; ++k) {  // the arrow key, three times
        Pick(k);
        EXPECT_EQ(browser().lblSize.Caption(), sizes[k - 1]);
        EXPECT_EQ(state().CurrentIndex, k - 1);
        EXPECT_FALSE(browser().Label1.Visible());
        EXPECT_FALSE(browser().Label4.Visible());
    }
    EXPECT_EQ(loadingShown, (std::vector<bool>{true, true, true}));
    // Back up while the first preview is still loading: the last entry selected is what stays.
    Pick(0);
    bool nested = false;
    hl::SetDoEventsHook([&] {
        if (!nested) {
            nested = true;
            Pick(2);
        }
    });
    Pick(3);
    hl::SetDoEventsHook(nullptr);
    EXPECT_EQ(state().CurrentIndex, 1);
    EXPECT_EQ(browser().lblSize.Caption(), L"20x21");
    EXPECT_FALSE(browser().Label1.Visible());
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

TEST_F(Browser, PreviewShowsTheImageAtTheShareOfTheScreenItWouldCover) {
    struct Case {
        int width, height;
        double share;
        const wchar_t* size;
    };
    Configure();
    for (const Case c : {Case{1024, 768, 1.0, L"1024x768"}, Case{512, 384, 0.5, L"512x384"},
                         Case{2048, 1536, 2.0, L"2049x1536"}}) {
        AddPattern(L"D:\\Pics\\p" + std::to_wstring(c.width) + L".bmp", c.width, c.height);
    }
    Start();
    Open();
    for (const Case c : {Case{1024, 768, 1.0, L"1024x768"}, Case{512, 384, 0.5, L"512x384"},
                         Case{2048, 1536, 2.0, L"2049x1536"}}) {
        SCOPED_TRACE(c.width);
        const auto& files = state().ImageFiles;
        const auto it = std::find(files.begin(), files.end(),
                                  L"p" + std::to_wstring(c.width) + L".bmp");
        ASSERT_NE(it, files.end());
        Pick(static_cast<int>(it - files.begin()) + 1);
        ASSERT_FALSE(browser().Label4.Visible());
        EXPECT_EQ(browser().lblSize.Caption(), c.size);
        const tk::Bitmap& s = Preview();
        ASSERT_EQ(s.width, 149);
        ASSERT_EQ(s.height, 111);
        EXPECT_GT(ExpectPatternAtShare(c.share, c.share), s.width * s.height * 3 / 4);
        if (c.share == 1.0) {  // edge to edge: no background anywhere
            for (std::uint32_t p : s.pixels) ASSERT_NE(p & 0xFFFFFF, Background());
        }
        if (c.share == 2.0) {  // only the middle quarter of the picture is visible
            for (std::uint32_t p : s.pixels) ASSERT_NE(p & 0xFFFFFF, kOuter);
        }
    }
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

TEST_F(Browser, ReportedSizeAndPreviewDoNotDependOnTheDisplayResolution) {
    AddPattern(L"D:\\Pics\\full.bmp", 1024, 768);
    AddImage(L"D:\\Pics\\hd.bmp", 1920, 1080);
    AddImage(L"D:\\Pics\\side.bmp", 1634, 1534);
    for (const int dpi : {96, 120, 144}) {
        SCOPED_TRACE(dpi);
        Restart();
        hl::SetScreen(1024, 768, dpi);
        Configure();
        Start();
        EXPECT_EQ(browser().lblRes.Caption(), L"1024x768");
        Open();
        Pick(1);  // full.bmp
        EXPECT_EQ(browser().lblSize.Caption(), L"1024x768");
        ExpectPatternAtShare(1.0, 1.0);
        for (std::uint32_t p : Preview().pixels) ASSERT_NE(p & 0xFFFFFF, Background());
        Pick(2);  // hd.bmp
        EXPECT_EQ(browser().lblSize.Caption(), L"1921x1080");
        Pick(3);  // side.bmp: 1534 is still exact, 1634 is not
        EXPECT_EQ(browser().lblSize.Caption(), L"1635x1534");
        browser().cmdCancel.OnUserPress();
        choice->Unload();
    }
}

TEST_F(Browser, ScreenResolutionIsWrittenInPlainDigits) {
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    struct Case { int width, height, dpi; const wchar_t* label; };
    for (const Case& c : {Case{800, 600, 96, L"800x600"}, Case{1280, 1024, 96, L"1280x1024"},
                          Case{1920, 1080, 96, L"1920x1080"}, Case{1366, 768, 120, L"1366x768"},
                          Case{3840, 2160, 144, L"3840x2160"}, Case{640, 480, 72, L"640x480"}}) {
        SCOPED_TRACE(c.label);
        Restart();
        hl::SetScreen(c.width, c.height, c.dpi);
        Configure();
        Start();
        EXPECT_EQ(browser().lblRes.Caption(), c.label);
        choice->Unload();
    }
}

// Moving quickly through the list: a selection that arrives while a preview is pending is the
// one the browser ends on, whichever it is.
TEST_F(Browser, SelectionArrivingWhileAPreviewIsPendingIsTheOneShown) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg", 64, 48, 0x123456);
    AddImage(L"D:\\Pics\\b.jpg", 80, 60, 0x654321);
    Start();
    Open();
    struct Case { int arriving; bool emptyBox; const wchar_t* size; };
    for (const Case& c : {Case{0, true, nullptr}, Case{2, false, L"80x60"}}) {
        SCOPED_TRACE(c.arriving);
        Pick(0);
        bool once = true;
        hl::SetDoEventsHook([&] {
            if (once) {
                once = false;
                Pick(c.arriving);
            }
        });
        Pick(1);
        hl::SetDoEventsHook(nullptr);
        EXPECT_EQ(browser().File1.ListIndex(), c.arriving);
        EXPECT_EQ(state().CurrentIndex, c.arriving - 1);
        EXPECT_FALSE(browser().Label4.Visible()) << "\"Picture could not load.\" shown";
        EXPECT_FALSE(browser().Label1.Visible());
        EXPECT_EQ(PreviewIsEmpty(), c.emptyBox);
        if (c.size) {
            EXPECT_EQ(browser().lblSize.Caption(), c.size);
        }
    }
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

TEST_F(Browser, FileThatIsNoPictureShowsTheMessageOverThePreviousPreview) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg", 64, 48, 0x123456);
    AddFile(L"D:\\Pics\\b.jpg", "GIF89a but not really");
    AddImage(L"D:\\Pics\\c.jpg", 80, 60, 0x654321);
    Start();
    Open();
    Pick(1);
    ASSERT_EQ(browser().lblSize.Caption(), L"64x48");
    const std::vector<std::uint32_t> before = Preview().pixels;
    ASSERT_FALSE(PreviewIsEmpty());
    Pick(2);
    EXPECT_TRUE(browser().Label4.Visible());
    EXPECT_EQ(browser().Label4.Caption(), L"Picture could not load.");
    EXPECT_FALSE(browser().Label1.Visible());
    EXPECT_EQ(browser().lblSize.Caption(), L"64x48");
    EXPECT_TRUE(Preview().pixels == before);
    EXPECT_EQ(state().CurrentIndex, 1);
    // The list keeps working: the next image replaces the message.
    Pick(3);
    EXPECT_FALSE(browser().Label4.Visible());
    EXPECT_EQ(browser().lblSize.Caption(), L"80x60");
    EXPECT_TRUE(hl::MessageBoxes().empty());
    // After "(None)" a failure leaves the box empty, with the message.
    Pick(0);
    EXPECT_TRUE(PreviewIsEmpty());
    EXPECT_EQ(browser().lblSize.Caption(), L"80x60");
    Pick(2);
    EXPECT_TRUE(browser().Label4.Visible());
    EXPECT_TRUE(PreviewIsEmpty());
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

TEST_F(Browser, ImageTooWideToScaleEndsWithAnEmptyPreview) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg", 64, 48, 0x123456);
    AddImage(L"D:\\Pics\\wide.jpg", 16000, 4, 0x00FFFF);
    Start();
    Open();
    Pick(1);
    ASSERT_FALSE(PreviewIsEmpty());
    Pick(2);
    EXPECT_TRUE(browser().Label4.Visible());
    EXPECT_FALSE(browser().Label1.Visible());
    EXPECT_TRUE(PreviewIsEmpty());
    EXPECT_EQ(browser().lblSize.Caption(), L"64x48");
    // Select still works.
    browser().cmdChoose.OnUserPress();
    EXPECT_TRUE(hl::IsShown(*choice));
    hl::AdvanceClock(750);
    EXPECT_TRUE(choice->cmdSelect.Enabled());
    choice->Unload();
}

TEST_F(Browser, SelectShowsTheChoiceWindowBusyThenAppliesTheEntry) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg", 50, 40, 0x0A0B0C);
    Start();
    Open();
    Pick(2);
    struct Seen {
        bool browserShown, choiceShown, anyEnabled;
        int pointer;
        std::size_t wallpaperCalls;
    };
    std::vector<Seen> seen;
    hl::SetDoEventsHook([&] {
        seen.push_back({hl::IsShown(browser()), hl::IsShown(*choice),
                        choice->cmdRand.Enabled() || choice->cmdBase.Enabled() ||
                            choice->cmdSelect.Enabled() || choice->cmdCurrent.Enabled(),
                        hl::MousePointer(), api.CallsTo(L"SystemParametersInfoA").size()});
    });
    browser().cmdChoose.OnUserPress();
    hl::SetDoEventsHook(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].browserShown);
    EXPECT_TRUE(seen[0].choiceShown);
    EXPECT_FALSE(seen[0].anyEnabled);
    EXPECT_EQ(seen[0].pointer, tk::kPointerHourglass);
    EXPECT_EQ(seen[0].wallpaperCalls, 0u);

    EXPECT_EQ(state().CurrentFile, L"b.jpg");
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\b.jpg");
    EXPECT_EQ(api.wallpaper, L"C:\\Murivale\\alice_Wallpaper.bmp");
    const tk::Bitmap converted = tk::DecodeImageFile(L"C:\\Murivale\\alice_Wallpaper.bmp");
    EXPECT_EQ(converted.width, 50);
    EXPECT_EQ(converted.pixels.at(0) & 0xFFFFFF, 0x0A0B0Cu);
    EXPECT_EQ(state().ImageFiles[1], L"b.jpg");
    EXPECT_FALSE(program().backdrop.IsLoaded() && hl::IsShown(*program().backdrop));
    hl::AdvanceClock(749);
    EXPECT_FALSE(choice->cmdSelect.Enabled());
    hl::AdvanceClock(1);
    EXPECT_TRUE(choice->cmdRand.Enabled() && choice->cmdBase.Enabled() &&
                choice->cmdSelect.Enabled() && choice->cmdCurrent.Enabled());
    EXPECT_TRUE(choice->cmdSelect.HasFocus());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
    // Reopening shows the entry just applied.
    Open();
    EXPECT_EQ(browser().File1.ListIndex(), 2);
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

TEST_F(Browser, SelectingNoneClearsThePreviewAndSelectRemovesTheWallpaper) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg", 40, 30);
    AddImage(L"D:\\Pics\\b.jpg", 50, 40);
    Start();
    Open();
    Pick(2);
    browser().cmdChoose.OnUserPress();
    hl::AdvanceClock(750);
    const std::wstring bitmap = L"C:\\Murivale\\alice_Wallpaper.bmp";
    ASSERT_TRUE(Exists(bitmap));

    Open();
    ASSERT_EQ(browser().File1.ListIndex(), 2);
    ASSERT_FALSE(PreviewIsEmpty());
    Pick(0);
    EXPECT_EQ(state().CurrentIndex, -1);
    EXPECT_TRUE(PreviewIsEmpty());
    EXPECT_FALSE(browser().Label1.Visible());
    EXPECT_EQ(browser().lblSize.Caption(), L"50x40");
    browser().cmdChoose.OnUserPress();
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\");
    EXPECT_FALSE(Exists(bitmap));
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), L"");
    EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), L"");
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").back(), L"SystemParametersInfoA(20, 0, \"\", 3)");
    hl::AdvanceClock(750);
    EXPECT_TRUE(choice->cmdSelect.HasFocus());
    Open();
    EXPECT_EQ(browser().File1.ListIndex(), 0);
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

TEST_F(Browser, SelectWithNothingSelectedGivesTheChoiceWindowBackAtOnce) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    Start();
    Open();
    browser().File1.SetListIndex(-1);
    ASSERT_EQ(state().CurrentIndex, -2);
    browser().cmdChoose.OnUserPress();
    EXPECT_TRUE(hl::IsShown(*choice));
    EXPECT_FALSE(hl::IsShown(browser()));
    EXPECT_TRUE(choice->cmdRand.Enabled() && choice->cmdBase.Enabled() &&
                choice->cmdSelect.Enabled() && choice->cmdCurrent.Enabled());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
    EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
    EXPECT_FALSE(hl::IsTimerRunning(choice->Timer1));
    choice->Unload();
}

TEST_F(Browser, CancelGoesBackToTheWallpaperInForce) {
    struct Case {
        const wchar_t* wallpaper;  // the desktop's wallpaper value at start
        int index;                 // CurrentIndex after Cancel
    };
    for (const Case c : {Case{L"D:\\Pics\\b.jpg", 1}, Case{L"D:\\Pics\\B.jpg", -1},
                         Case{L"C:\\WINDOWS\\clouds.bmp", -1}, Case{L"", -1}}) {
        SCOPED_TRACE(base::ToUtf8(c.wallpaper));
        Restart();
        Configure();
        for (const wchar_t* name : {L"a.jpg", L"b.jpg", L"c.jpg"}) {
            AddImage(std::wstring(L"D:\\Pics\\") + name);
        }
        api.SetString(selector::kRegDesktopWallpaper, c.wallpaper);
        Start();
        Open();
        Pick(3);
        Pick(1);
        ASSERT_EQ(state().CurrentIndex, 0);
        browser().cmdCancel.OnUserPress();
        EXPECT_EQ(state().CurrentIndex, c.index);
        EXPECT_FALSE(hl::IsShown(browser()));
        EXPECT_TRUE(hl::IsShown(*choice));
        EXPECT_TRUE(choice->cmdSelect.HasFocus());
        EXPECT_TRUE(choice->cmdRand.Enabled() && choice->cmdSelect.Enabled());
        EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
        EXPECT_FALSE(api.HasValue(selector::kRegCurrentFile));
        Open();
        EXPECT_EQ(browser().File1.ListIndex(), c.index + 1);
        browser().cmdCancel.OnUserPress();
        choice->Unload();
    }
}

TEST_F(Browser, KeyboardAndCloseBoxLeaveTheBrowserAsItsButtonsDo) {
    enum class Way { Enter, Escape, CloseBox };
    for (const Way way : {Way::Enter, Way::Escape, Way::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(way));
        Restart();
        Configure();
        AddImage(L"D:\\Pics\\a.jpg");
        AddImage(L"D:\\Pics\\b.jpg");
        Start();
        Open();
        Pick(1);
        switch (way) {
            case Way::Enter: browser().OnUserEnter(); break;
            case Way::Escape: browser().OnUserEscape(); break;
            case Way::CloseBox: browser().OnUserClose(); break;
        }
        const bool applied = way == Way::Enter;
        EXPECT_TRUE(hl::IsShown(*choice));
        EXPECT_TRUE(browser().IsLoaded());
        EXPECT_FALSE(hl::IsShown(browser()));
        EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), applied ? 1u : 0u);
        EXPECT_EQ(state().CurrentIndex, applied ? 0 : -1);
        hl::AdvanceClock(750);
        EXPECT_TRUE(choice->cmdSelect.Enabled());
        EXPECT_TRUE(choice->cmdSelect.HasFocus());
        // The browser kept its list and comes back with the entry in force.
        Open();
        EXPECT_EQ(browser().File1.ListCount(), 3);
        EXPECT_EQ(browser().File1.ListIndex(), applied ? 1 : 0);
        browser().cmdCancel.OnUserPress();
        choice->Unload();
    }
}

}  // namespace
