// Applying a wallpaper: the Windows calls and their order, the values recorded, the converted
// bitmap in the program's folder, and what is left when an image cannot be applied.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "selector/Wallpaper.h"
#include "selector/frmBack.h"
#include "selector/frmSel.h"
#include "tests/unit/ProgramFixture.h"

namespace {

namespace hl = tk::headless;
using testing_support::MurivaleTest;

constexpr wchar_t kBitmap[] = L"C:\\Murivale\\alice_Wallpaper.bmp";

struct Desktop {
    services::Handle progman = 0, view = 0, list = 0, html = 0;
};

class Wallpaper : public MurivaleTest {
protected:
    // The desktop's windows: Progman > SHELLDLL_DefView > SysListView32, and on an HTML
    // desktop an Internet Explorer_Server beside the icon view.
    Desktop AddDesktop(bool htmlView) {
        Desktop d;
        d.progman = api.AddWindow(0, L"Progman", L"Program Manager");
        d.view = api.AddWindow(d.progman, L"SHELLDLL_DefView");
        d.list = api.AddWindow(d.view, L"SysListView32", L"FolderView");
        if (htmlView) d.html = api.AddWindow(d.view, L"Internet Explorer_Server");
        return d;
    }

    // A fresh run of Murivale in the same folders, on a fresh system (registry and windows).
    void Restart() {
        choice.reset();
        hl::Reset();
        api = testing_support::HostFilesWinApi{};
        api.SetVersion(2, 5, 1, 1);
        selector::StartProgram(api);
    }

    void StartIn(const std::wstring& appPath, const std::wstring& commandLine = L"") {
        hl::SetAppInfo(appPath, L"Murivale", commandLine);
        choice = std::make_unique<selector::frmBG>();
        tk::Run(*choice);
    }

    // Draws that give these catalogue indices in turn (r * 1,000,000 is the index itself).
    void DrawIndices(std::vector<int> indices) {
        program().random = [indices, next = std::size_t{0}]() mutable {
            const int k = indices[next++ % indices.size()];
            return k / 1000000.0;
        };
    }

    std::vector<char> Bytes(const std::wstring& path) const {
        std::ifstream in(Host(path), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void CopyCorpusFile(const char* relative, const std::wstring& to) {
        std::filesystem::copy_file(std::filesystem::path(MURIVALE_CORPUS_DIR) / relative, Host(to),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // The calls that change or look at the desktop and the registry values, in order.
    std::vector<std::wstring> DesktopCalls() const {
        std::vector<std::wstring> out;
        for (const std::wstring& call : api.calls) {
            for (const wchar_t* name : {L"FindWindowExA(", L"SystemParametersInfoA(",
                                        L"PostMessageA(", L"RegSetString("}) {
                if (call.rfind(name, 0) == 0) out.push_back(call);
            }
        }
        return out;
    }

    static void ExpectPictureOf(const std::wstring& path, int width, int height,
                                std::uint32_t pixel) {
        const tk::Bitmap b = tk::DecodeImageFile(path);
        ASSERT_EQ(b.width, width);
        ASSERT_EQ(b.height, height);
        for (std::uint32_t p : b.pixels) ASSERT_EQ(p & 0xFFFFFF, pixel);
    }

    void Press(tk::Button& button) { button.OnUserPress(); }
    std::wstring Value(const wchar_t* path) const { return api.String(path).value_or(L"<missing>"); }
};

TEST_F(Wallpaper, RandomChoiceCallsWindowsInOrderWithExactArguments) {
    for (const bool html : {false, true}) {
        SCOPED_TRACE(html ? "HTML desktop" : "plain desktop");
        Restart();
        const Desktop d = AddDesktop(html);
        Configure();
        AddImage(L"D:\\Pics\\a.jpg", 40, 30, 0x102030);
        AddImage(L"D:\\Pics\\b.jpg");
        Start();
        ASSERT_TRUE(hl::IsShown(*choice));
        api.calls.clear();
        DrawIndices({0});
        Press(choice->cmdRand);

        const std::wstring P = std::to_wstring(d.progman), V = std::to_wstring(d.view),
                           L = std::to_wstring(d.list);
        std::vector<std::wstring> expected = {
            L"FindWindowExA(0, 0, \"Progman\", null)",
            L"FindWindowExA(" + P + L", 0, \"SHELLDLL_DefView\", null)",
            L"FindWindowExA(" + V + L", 0, \"SysListView32\", null)",
            L"RegSetString(HKEY_CURRENT_USER, \"Software\\Murivale\", \"CurrentFile\", "
            L"\"D:\\Pics\\a.jpg\")",
            L"RegSetString(HKEY_CURRENT_USER, \"Software\\Microsoft\\Internet "
            L"Explorer\\Desktop\\General\", \"Wallpaper\", \"C:\\Murivale\\alice_Wallpaper.bmp\")",
            L"RegSetString(HKEY_CURRENT_USER, \"Control Panel\\Desktop\", \"Wallpaper\", "
            L"\"C:\\Murivale\\alice_Wallpaper.bmp\")",
            L"SystemParametersInfoA(20, 0, \"C:\\Murivale\\alice_Wallpaper.bmp\", 3)",
        };
        if (html) expected.push_back(L"PostMessageA(" + L + L", 256, 116, 4128769)");
        EXPECT_EQ(DesktopCalls(), expected);

        EXPECT_EQ(state().CurrentFile, L"a.jpg");
        EXPECT_EQ(state().CurrentIndex, 0);
        EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\a.jpg");
        EXPECT_EQ(Value(selector::kRegDesktopWallpaper), kBitmap);
        EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), kBitmap);
        EXPECT_EQ(api.wallpaper, kBitmap);
        ExpectPictureOf(kBitmap, 40, 30, 0x102030);
        // Exactly one of the two timers ends the cycle.
        EXPECT_EQ(hl::IsTimerRunning(choice->Timer1), !html);
        EXPECT_EQ(program().backdrop.IsLoaded() &&
                      hl::IsTimerRunning(program().backdrop.IfLoaded()->Timer1),
                  html);
        hl::AdvanceClock(750);
        EXPECT_TRUE(choice->cmdRand.Enabled());
        choice->Unload();
    }
}

// A run may be ended at any moment (a forced log-off, a power cut): the record of the current
// wallpaper must never name a picture that the bitmap does not hold yet. So at the moment the
// record is written, the bitmap is already the new one (or gone, when the wallpaper is removed).
TEST_F(Wallpaper, RecordIsWrittenOnlyOnceTheNewBitmapIsInPlace) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg", 8, 8, 0x102030);
    AddImage(L"D:\\Pics\\b.jpg", 8, 8, 0x405060);
    Start();
    DrawIndices({0, 1});
    Press(choice->cmdRand);
    hl::AdvanceClock(750);
    ASSERT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\a.jpg");

    // What the bitmap holds whenever the record is written: its one colour, or nothing.
    std::vector<std::optional<std::uint32_t>> bitmapAtRecord;
    api.onCall = [&](const std::wstring& call) {
        if (call.rfind(L"RegSetString(", 0) != 0 || call.find(L"\"CurrentFile\"") == std::wstring::npos) {
            return;
        }
        if (!Exists(kBitmap)) {
            bitmapAtRecord.push_back(std::nullopt);
        } else {
            bitmapAtRecord.push_back(tk::DecodeImageFile(kBitmap).pixels.at(0) & 0xFFFFFF);
        }
    };
    Press(choice->cmdRand);  // b.jpg
    hl::AdvanceClock(750);
    ASSERT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\b.jpg");
    state().BaseFile = L"";
    Press(choice->cmdBase);  // no default background: the wallpaper is removed
    api.onCall = nullptr;

    EXPECT_EQ(bitmapAtRecord, (std::vector<std::optional<std::uint32_t>>{0x405060, std::nullopt}));
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"");
}

TEST_F(Wallpaper, IconViewIsLookedUpEvenWithoutADesktopWindow) {
    // Nothing found: each search goes on from 0 and the wallpaper is still set.
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    Start();
    api.calls.clear();
    DrawIndices({1});
    Press(choice->cmdRand);
    EXPECT_EQ(api.CallsTo(L"FindWindowExA"),
              (std::vector<std::wstring>{L"FindWindowExA(0, 0, \"Progman\", null)",
                                         L"FindWindowExA(0, 0, \"SHELLDLL_DefView\", null)",
                                         L"FindWindowExA(0, 0, \"SysListView32\", null)"}));
    EXPECT_TRUE(api.CallsTo(L"PostMessageA").empty());
    EXPECT_EQ(api.wallpaper, kBitmap);
    choice->Unload();
}

TEST_F(Wallpaper, ProgramFolderAtADriveRootGivesTwoBackslashesEverywhere) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg", 8, 8, 0xABCDEF);
    AddImage(L"D:\\Pics\\b.jpg");
    DrawIndices({0});
    StartIn(L"C:\\");
    ASSERT_TRUE(hl::IsShown(*choice));
    Press(choice->cmdRand);
    const std::wstring path = L"C:\\\\alice_Wallpaper.bmp";
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA"),
              std::vector<std::wstring>{L"SystemParametersInfoA(20, 0, \"" + path + L"\", 3)"});
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), path);
    EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), path);
    EXPECT_TRUE(hl::MessageBoxes().empty());
    // The doubled backslash names the file at the root of the drive.
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "C" / "alice_Wallpaper.bmp"));
    ExpectPictureOf(path, 8, 8, 0xABCDEF);
    choice->Unload();
}

TEST_F(Wallpaper, EachUserGetsABitmapNamedAfterTheirLogin) {
    struct Run {
        const wchar_t* user;
        int index;
    };
    AddImage(L"D:\\Pics\\a.jpg", 10, 10, 0xFF0000);
    AddImage(L"D:\\Pics\\b.jpg", 12, 12, 0x0000FF);
    for (const Run r : {Run{L"alice", 0}, Run{L"bob", 1}}) {
        Restart();
        api.userName = r.user;
        Configure(L"D:\\Pics\\", std::wstring(L"C:\\Murivale\\") + r.user + L"_Base.bmp");
        DrawIndices({r.index});
        Start(L"/p %1");
        EXPECT_EQ(Value(selector::kRegDesktopWallpaper),
                  std::wstring(L"C:\\Murivale\\") + r.user + L"_Wallpaper.bmp");
    }
    ExpectPictureOf(L"C:\\Murivale\\alice_Wallpaper.bmp", 10, 10, 0xFF0000);
    ExpectPictureOf(L"C:\\Murivale\\bob_Wallpaper.bmp", 12, 12, 0x0000FF);
}

TEST_F(Wallpaper, JpegAndGifSourcesBecomeBitmapsAndStayUntouched) {
    Configure();
    CopyCorpusFile("good/jpeg/imagers_progressive_cat.jpg", L"D:\\Pics\\cat.jpg");
    CopyCorpusFile("good/gif/pillow_hopper.gif", L"D:\\Pics\\hopper.gif");
    const std::vector<char> jpeg = Bytes(L"D:\\Pics\\cat.jpg");
    const std::vector<char> gif = Bytes(L"D:\\Pics\\hopper.gif");
    const auto jpegTime = std::filesystem::last_write_time(Host(L"D:\\Pics\\cat.jpg"));
    Start();
    DrawIndices({0, 1});
    for (const wchar_t* name : {L"cat.jpg", L"hopper.gif"}) {
        SCOPED_TRACE(base::ToUtf8(name));
        Press(choice->cmdRand);
        ASSERT_TRUE(hl::MessageBoxes().empty());
        EXPECT_EQ(state().CurrentFile, name);
        const std::vector<char> written = Bytes(kBitmap);
        ASSERT_GT(written.size(), 2u);
        EXPECT_EQ(std::string(written.begin(), written.begin() + 2), "BM");
        const tk::Bitmap source = tk::DecodeImageFile(std::wstring(L"D:\\Pics\\") + name);
        const tk::Bitmap converted = tk::DecodeImageFile(kBitmap);
        EXPECT_EQ(converted.width, source.width);
        EXPECT_EQ(converted.height, source.height);
        EXPECT_TRUE(converted.pixels == source.pixels);
        hl::AdvanceClock(750);
    }
    EXPECT_EQ(Bytes(L"D:\\Pics\\cat.jpg"), jpeg);
    EXPECT_EQ(Bytes(L"D:\\Pics\\hopper.gif"), gif);
    EXPECT_EQ(std::filesystem::last_write_time(Host(L"D:\\Pics\\cat.jpg")), jpegTime);
    // The bitmap was replaced in place: nothing else was left in the program's folder.
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Host(L"C:\\Murivale"))) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"alice_Base.bmp", "alice_Wallpaper.bmp"}));
    std::set<std::string> sources;
    for (const auto& entry : std::filesystem::directory_iterator(Host(L"D:\\Pics"))) {
        sources.insert(entry.path().filename().string());
    }
    EXPECT_EQ(sources, (std::set<std::string>{"cat.jpg", "hopper.gif"}));
    choice->Unload();
}

TEST_F(Wallpaper, DefaultBackgroundIsACopyOfTheBaseBitmapAndEndsTheProgram) {
    const Desktop d = AddDesktop(true);
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    const std::vector<char> base = Bytes(L"C:\\Murivale\\alice_Base.bmp");
    Start();
    api.calls.clear();
    Press(choice->cmdBase);
    EXPECT_EQ(state().ChoiceMode, -1);
    EXPECT_EQ(state().CurrentFile, L"C:\\Murivale\\alice_Base.bmp");
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"C:\\Murivale\\alice_Base.bmp");
    // The wallpaper is the copy, not the base bitmap itself.
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), kBitmap);
    EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), kBitmap);
    EXPECT_EQ(api.wallpaper, kBitmap);
    ExpectPictureOf(kBitmap, 16, 16, 0x00AA00);
    EXPECT_EQ(Bytes(L"C:\\Murivale\\alice_Base.bmp"), base);
    EXPECT_EQ(api.CallsTo(L"PostMessageA"),
              std::vector<std::wstring>{L"PostMessageA(" + std::to_wstring(d.list) +
                                        L", 256, 116, 4128769)"});
    EXPECT_FALSE(choice->IsLoaded());
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_TRUE(hl::QuitRequested());
}

TEST_F(Wallpaper, DefaultBackgroundWithoutABaseFileRemovesTheWallpaper) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    Start();
    DrawIndices({0});
    Press(choice->cmdRand);
    hl::AdvanceClock(750);
    ASSERT_TRUE(Exists(kBitmap));
    state().BaseFile = L"";
    api.calls.clear();
    Press(choice->cmdBase);
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"");
    EXPECT_EQ(state().CurrentFile, L"");
    EXPECT_FALSE(Exists(kBitmap));
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), L"");
    EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), L"");
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA"),
              std::vector<std::wstring>{L"SystemParametersInfoA(20, 0, \"\", 3)"});
    EXPECT_EQ(tk::LoadedFormCount(), 0);
}

TEST_F(Wallpaper, RemovingAWallpaperThatWasNeverConvertedStillSucceeds) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\WINDOWS\\clouds.bmp");
    api.SetString(selector::kRegControlPanelWallpaper, L"C:\\WINDOWS\\clouds.bmp");
    Start();
    ASSERT_FALSE(Exists(kBitmap));
    Press(choice->cmdSelect);
    selector::frmSel& browser = *program().browser;
    ASSERT_EQ(browser.File1.ListIndex(), 0);
    Press(browser.cmdChoose);
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\");
    EXPECT_EQ(state().CurrentFile, L"");
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), L"");
    EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), L"");
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA"),
              std::vector<std::wstring>{L"SystemParametersInfoA(20, 0, \"\", 3)"});
    EXPECT_FALSE(choice->cmdSelect.Enabled());
    hl::AdvanceClock(750);
    EXPECT_TRUE(choice->cmdSelect.Enabled());
    EXPECT_TRUE(choice->cmdSelect.HasFocus());
    choice->Unload();
}

TEST_F(Wallpaper, UnreadableImageIsReportedAndLeavesEverythingAsItWas) {
    for (const bool html : {false, true}) {
        SCOPED_TRACE(html ? "HTML desktop" : "plain desktop");
        Restart();
        AddDesktop(html);
        Configure();
        AddImage(L"D:\\Pics\\a.jpg", 20, 20, 0x445566);
        AddFile(L"D:\\Pics\\bad.jpg", "this is no picture at all");
        Start();
        DrawIndices({0, 1});
        Press(choice->cmdRand);
        hl::AdvanceClock(750);
        ASSERT_EQ(state().CurrentFile, L"a.jpg");
        const std::vector<char> before = Bytes(kBitmap);
        const std::size_t wallpaperCalls = api.CallsTo(L"SystemParametersInfoA").size();
        const std::size_t posts = api.CallsTo(L"PostMessageA").size();

        Press(choice->cmdRand);  // draws bad.jpg, the only other image

        ASSERT_EQ(hl::MessageBoxes().size(), 1u);
        EXPECT_EQ(hl::MessageBoxes()[0].title, L"Murivale");
        EXPECT_EQ(hl::MessageBoxes()[0].text.rfind(L"The wallpaper could not be changed.", 0), 0u);
        EXPECT_EQ(state().CurrentFile, L"a.jpg");
        EXPECT_EQ(state().CurrentIndex, 0);
        EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\a.jpg");
        EXPECT_EQ(Value(selector::kRegDesktopWallpaper), kBitmap);
        EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), kBitmap);
        EXPECT_EQ(Bytes(kBitmap), before);
        EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), wallpaperCalls);
        EXPECT_EQ(api.CallsTo(L"PostMessageA").size(), posts);
        // The choice window is usable again at once, and no timer is left to fire.
        EXPECT_FALSE(program().backdrop.IsLoaded());
        EXPECT_TRUE(hl::IsShown(*choice));
        EXPECT_TRUE(choice->cmdRand.Enabled());
        EXPECT_TRUE(choice->cmdBase.Enabled());
        EXPECT_TRUE(choice->cmdSelect.Enabled());
        EXPECT_TRUE(choice->cmdCurrent.Enabled());
        EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
        EXPECT_TRUE(choice->cmdRand.HasFocus());
        EXPECT_FALSE(hl::IsTimerRunning(choice->Timer1));
        choice->Unload();
    }
}

TEST_F(Wallpaper, UnwritableProgramFolderIsReportedAndLeavesEverythingAsItWas) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\WINDOWS\\clouds.bmp");
    api.SetString(selector::kRegControlPanelWallpaper, L"C:\\WINDOWS\\clouds.bmp");
    api.SetString(selector::kRegCurrentFile, L"D:\\Pics\\old.jpg");
    DrawIndices({1});
    StartIn(L"C:\\Gone");  // the program's folder cannot take the bitmap
    ASSERT_EQ(state().CurrentFile, L"C:\\WINDOWS\\clouds.bmp");
    Press(choice->cmdRand);
    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].title, L"Murivale");
    EXPECT_EQ(hl::MessageBoxes()[0].text.rfind(L"The wallpaper could not be changed.", 0), 0u);
    EXPECT_EQ(state().CurrentFile, L"C:\\WINDOWS\\clouds.bmp");
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\old.jpg");
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), L"C:\\WINDOWS\\clouds.bmp");
    EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), L"C:\\WINDOWS\\clouds.bmp");
    EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
    EXPECT_TRUE(choice->cmdRand.Enabled());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
    choice->Unload();
}

TEST_F(Wallpaper, BitmapInUseIsNotRemovedAndTheRecordIsKept) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    Start();
    DrawIndices({1});
    Press(choice->cmdRand);
    hl::AdvanceClock(750);
    ASSERT_EQ(state().CurrentFile, L"b.jpg");
    api.locked.insert(kBitmap);
    const std::size_t wallpaperCalls = api.CallsTo(L"SystemParametersInfoA").size();

    Press(choice->cmdSelect);
    selector::frmSel& browser = *program().browser;
    browser.File1.OnUserSelect(0);  // "(None)"
    Press(browser.cmdChoose);

    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].text.rfind(L"The wallpaper could not be changed.", 0), 0u);
    EXPECT_TRUE(Exists(kBitmap));
    EXPECT_EQ(state().CurrentFile, L"b.jpg");
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\b.jpg");
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), kBitmap);
    EXPECT_EQ(Value(selector::kRegControlPanelWallpaper), kBitmap);
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA").size(), wallpaperCalls);
    EXPECT_TRUE(hl::IsShown(*choice));
    EXPECT_TRUE(choice->cmdSelect.Enabled());
    EXPECT_TRUE(choice->cmdSelect.HasFocus());
    EXPECT_EQ(hl::MousePointer(), tk::kPointerDefault);
    choice->Unload();
}

TEST_F(Wallpaper, UnreadableBaseBitmapKeepsTheChoiceWindowOpen) {
    Configure();
    AddImage(L"D:\\Pics\\a.jpg");
    AddImage(L"D:\\Pics\\b.jpg");
    Start();
    AddFile(L"C:\\Murivale\\alice_Base.bmp", "BMgarbage");
    Press(choice->cmdBase);
    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].title, L"Murivale");
    EXPECT_TRUE(choice->IsLoaded());
    EXPECT_TRUE(hl::IsShown(*choice));
    EXPECT_TRUE(choice->cmdBase.Enabled());
    EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
    EXPECT_FALSE(Exists(kBitmap));
    choice->Unload();
}

TEST_F(Wallpaper, LogonRunThatCannotApplyEndsWithoutADialog) {
    Configure();
    AddFile(L"D:\\Pics\\bad.jpg", "nothing");
    AddFile(L"D:\\Pics\\worse.jpg", "nothing either");
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\WINDOWS\\clouds.bmp");
    api.SetString(selector::kRegCurrentFile, L"D:\\Pics\\x.jpg");
    DrawIndices({0});
    Start(L"/p %1");
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\x.jpg");
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), L"C:\\WINDOWS\\clouds.bmp");
    EXPECT_TRUE(api.CallsTo(L"SystemParametersInfoA").empty());
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_TRUE(hl::QuitRequested());
}

TEST_F(Wallpaper, LogonRunGoesOnToAnImageThatCanBeUsed) {
    Configure();
    AddFile(L"D:\\Pics\\a.jpg", "nothing");
    AddImage(L"D:\\Pics\\b.jpg", 6, 6, 0x0F0E0D);
    AddFile(L"D:\\Pics\\c.jpg", "nothing either");
    api.SetString(selector::kRegDesktopWallpaper, L"C:\\WINDOWS\\clouds.bmp");
    DrawIndices({0});
    Start(L"/p %1");
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(Value(selector::kRegCurrentFile), L"D:\\Pics\\b.jpg");
    EXPECT_EQ(Value(selector::kRegDesktopWallpaper), kBitmap);
    EXPECT_EQ(api.CallsTo(L"SystemParametersInfoA"),
              std::vector<std::wstring>{L"SystemParametersInfoA(20, 0, \"" + std::wstring(kBitmap) +
                                        L"\", 3)"});
    ExpectPictureOf(kBitmap, 6, 6, 0x0F0E0D);
    EXPECT_EQ(tk::LoadedFormCount(), 0);
    EXPECT_TRUE(hl::QuitRequested());
}

}  // namespace
