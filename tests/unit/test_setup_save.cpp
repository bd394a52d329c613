// Tessaban's "Accept and Save": the image-count refusals, keeping the wallpaper in place as the
// default background, the configuration values and the logon entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include "base/Text.h"
#include "services/Registry.h"
#include "tests/unit/CorpusManifest.h"
#include "tests/unit/SetupFixture.h"

namespace {

namespace hl = tk::headless;
using testing_support::TessabanTest;

constexpr wchar_t kBase[] = L"C:\\Tools\\alice_Base.bmp";
constexpr wchar_t kOwnBitmap[] = L"C:\\Tools\\alice_Wallpaper.bmp";
constexpr wchar_t kLogonCommand[] = L"C:\\Tools\\Murivale.exe /p %1";
constexpr std::uint32_t kBlankPixel = 0xC0C0C0;  // the toolkit's default face colour

class SetupSave : public TessabanTest {
protected:
    // The configuration of an earlier save (D:\Pics with two pictures), the wallpaper value set
    // to `wallpaper` (none when std::nullopt), and the window open.
    void OpenWithWallpaper(const std::optional<std::wstring>& wallpaper) {
        Configure();
        if (wallpaper) api->SetString(setup::kRegDesktopWallpaper, *wallpaper);
        Open();
        ForgetCalls();
    }

    void RemoveValue(const std::wstring& key, const std::wstring& name) {
        api->RegRemoveValue(services::RegRoot::CurrentUser, key, name);
    }
    void RemoveCurrentFile() { RemoveValue(L"Software\\Murivale", L"CurrentFile"); }

    // The save went through: the window closed without a message.
    void ExpectSaved() {
        EXPECT_TRUE(hl::MessageBoxes().empty());
        EXPECT_FALSE(form->IsLoaded());
        EXPECT_TRUE(hl::QuitRequested());
    }
    // The save stopped with one "Error" box: nothing written, the window still open.
    void ExpectRefused() {
        ASSERT_EQ(hl::MessageBoxes().size(), 1u);
        EXPECT_EQ(hl::MessageBoxes()[0].title, L"Error");
        EXPECT_TRUE(form->IsLoaded());
        EXPECT_TRUE(hl::IsShown(*form));
        EXPECT_TRUE(Changes().empty());
    }

    void ExpectBlankBitmap(const std::wstring& path) {
        ASSERT_TRUE(Exists(path));
        const tk::Bitmap base = Decoded(path);
        EXPECT_EQ(base.width, 1);
        EXPECT_EQ(base.height, 1);
        EXPECT_EQ(base.pixels, std::vector<std::uint32_t>(base.pixels.size(), kBlankPixel));
    }
    void ExpectSamePicture(const std::wstring& path, const tk::Bitmap& expected) {
        ASSERT_TRUE(Exists(path));
        const tk::Bitmap base = Decoded(path);
        EXPECT_EQ(base.width, expected.width);
        EXPECT_EQ(base.height, expected.height);
        EXPECT_TRUE(base.pixels == expected.pixels) << "the base bitmap holds another picture";
    }

    std::set<std::string> FilesIn(const std::wstring& folder) const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Host(folder))) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
};

// --- Too many images ----------------------------------------------------------------------------

TEST_F(SetupSave, FolderWithMoreImagesThanMurivaleCountsIsRefusedAndNothingIsWritten) {
    Configure();
    MakeFolder(L"D:\\Pics\\Many");
    // Names are all the scan looks at: empty files will do.
    for (int i = 0; i < 32767; ++i) {
        std::ofstream(Host(L"D:\\Pics\\Many\\p" + std::to_wstring(i) + L".jpg"));
    }
    std::ofstream(Host(L"D:\\Pics\\Many\\extra.gif"));
    api->SetString(setup::kRegDesktopWallpaper, L"C:\\WINDOWS\\w.bmp");
    AddImage(L"C:\\WINDOWS\\w.bmp");
    Open();
    OpenFolderInList(L"D:\\Pics\\Many");
    ForgetCalls();
    Save();
    ASSERT_NO_FATAL_FAILURE(ExpectRefused());
    EXPECT_EQ(hl::MessageBoxes()[0].text, L"More than 32767 valid image files found in folder");
    EXPECT_EQ(hl::MessageBoxes()[0].style, 0);
    EXPECT_FALSE(Exists(kBase));

    // One fewer is as many as Murivale takes: that saves.
    std::filesystem::remove(Host(L"D:\\Pics\\Many\\extra.gif"));
    OpenFolderInList(L"D:\\Pics");
    OpenFolderInList(L"D:\\Pics\\Many");
    Save();
    EXPECT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(api->String(setup::kRegFolderPath), L"D:\\Pics\\Many\\");
}

// --- Too few images -----------------------------------------------------------------------------

TEST_F(SetupSave, FolderWithFewerThanTwoImagesIsRefusedAndTheWindowStays) {
    struct Case {
        int images;
        const wchar_t* text;
    };
    for (const Case c : {Case{0, L"No valid image files found in folder"},
                         Case{1, L"Only one valid image file found in folder"}}) {
        SCOPED_TRACE(c.images);
        Fresh();
        Configure();
        AddImages(L"D:\\Pics\\Few", c.images);
        AddImage(L"D:\\Pics\\Few\\Sub\\x.jpg");
        AddImage(L"D:\\Pics\\Few\\Sub\\y.jpg");
        api->SetString(setup::kRegDesktopWallpaper, L"C:\\WINDOWS\\w.bmp");
        AddImage(L"C:\\WINDOWS\\w.bmp");
        Open();
        OpenFolderInList(L"D:\\Pics\\Few");
        ForgetCalls();
        Save();

        ASSERT_NO_FATAL_FAILURE(ExpectRefused());
        EXPECT_EQ(hl::MessageBoxes()[0].text, c.text);
        EXPECT_EQ(hl::MessageBoxes()[0].style, 0);
        EXPECT_FALSE(Exists(kBase));

        // Another folder then saves.
        OpenFolderInList(L"D:\\Pics");
        Save();
        EXPECT_EQ(hl::MessageBoxes().size(), 1u);
        EXPECT_FALSE(form->IsLoaded());
        EXPECT_EQ(api->String(setup::kRegFolderPath), L"D:\\Pics\\");
    }
}

// --- A whole save -------------------------------------------------------------------------------

TEST_F(SetupSave, FirstSaveKeepsTheWallpaperAsBaseBitmapAndRecordsItTwice) {
    const tk::Bitmap sea = Picture(7, 5, 0x102030);
    AddImage(L"C:\\WINDOWS\\Web\\sea.bmp", sea);
    AddImages(L"C:\\Pics", 3);
    api->SetString(setup::kRegDesktopWallpaper, L"C:\\WINDOWS\\Web\\sea.bmp");
    Open();
    OpenFolderInList(L"C:\\Pics");
    ForgetCalls();
    Save();

    ExpectSaved();
    EXPECT_EQ(Changes(), (std::vector<std::wstring>{
                             Set(setup::kRegFolderPath, L"C:\\Pics\\"),
                             Set(setup::kRegBaseFile, kBase),
                             Set(setup::kRegCurrentFile, kBase),
                         }));
    ExpectSamePicture(kBase, sea);
    EXPECT_EQ(FilesIn(L"C:\\Tools"), std::set<std::string>{"alice_Base.bmp"});
    EXPECT_EQ(api->String(setup::kRegDesktopWallpaper), L"C:\\WINDOWS\\Web\\sea.bmp");
}

TEST_F(SetupSave, FolderIsSavedAsShownWithOnlyDriveCRootShortened) {
    struct Case {
        const wchar_t* configured;
        const wchar_t* moveTo;  // where the user goes before saving, if anywhere
        const wchar_t* saved;
    };
    const Case cases[] = {
        {L"", nullptr, L"C:\\"},
        {L"D:\\Pics\\", nullptr, L"D:\\Pics\\"},
        {L"D:\\Pics\\", L"D:\\", L"D:\\\\"},
        {L"D:\\", nullptr, L"D:\\\\"},
        {L"D:\\Pics\\", L"D:\\Pics\\Sub", L"D:\\Pics\\Sub\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(base::ToUtf8(c.configured) + " -> " + (c.moveTo ? base::ToUtf8(c.moveTo) : ""));
        Fresh();
        api->SetVersion(1, 4, 10);
        AddImages(L"C:", 2);
        AddImages(L"D:", 2);
        AddImages(L"D:\\Pics", 2);
        AddImages(L"D:\\Pics\\Sub", 2);
        api->SetString(setup::kRegFolderPath, c.configured);
        api->SetString(setup::kRegRunOnStartup, L"0");
        Open();
        if (c.moveTo) OpenFolderInList(c.moveTo);
        ForgetCalls();
        Save();
        ExpectSaved();
        EXPECT_EQ(api->String(setup::kRegFolderPath), c.saved);
    }
}

// --- Which wallpaper becomes the base -----------------------------------------------------------

TEST_F(SetupSave, OwnConvertedBitmapOnTheDesktopMeansTheImageItWasMadeFrom) {
    const tk::Bitmap converted = Picture(6, 6, 0x0A0000);
    const tk::Bitmap source = Picture(9, 4, 0x00B000);
    const tk::Bitmap lowerCase = Picture(3, 8, 0x0000C0);
    const tk::Bitmap otherUser = Picture(5, 2, 0x404040);
    struct Case {
        const wchar_t* wallpaper;
        const tk::Bitmap* expected;  // what the base bitmap holds on the 2000 family
        const wchar_t* baseElsewhere;  // BaseFile on other systems
    };
    const Case cases[] = {
        {kOwnBitmap, &source, L"D:\\Pics\\sea.jpg"},
        // Only the exact spelling is the own bitmap.
        {L"C:\\tools\\alice_wallpaper.bmp", &lowerCase, L"C:\\tools\\alice_wallpaper.bmp"},
        {L"C:\\Tools\\bob_Wallpaper.bmp", &otherUser, L"C:\\Tools\\bob_Wallpaper.bmp"},
    };
    for (const bool win2k : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(base::ToUtf8(c.wallpaper) + (win2k ? " (2000 family)" : " (9x)"));
            Fresh();
            if (!win2k) api->SetVersion(1, 4, 10);
            AddImage(kOwnBitmap, converted);
            AddImage(L"D:\\Pics\\sea.jpg", source);
            AddImage(L"C:\\tools\\alice_wallpaper.bmp", lowerCase);  // the host tells case apart
            AddImage(L"C:\\Tools\\bob_Wallpaper.bmp", otherUser);
            Configure();
            api->SetString(setup::kRegCurrentFile, L"D:\\Pics\\sea.jpg");
            api->SetString(setup::kRegDesktopWallpaper, c.wallpaper);
            Open();
            ForgetCalls();
            Save();

            ExpectSaved();
            const std::wstring baseFile = win2k ? kBase : c.baseElsewhere;
            EXPECT_EQ(Changes(), (std::vector<std::wstring>{
                                     Set(setup::kRegFolderPath, L"D:\\Pics\\"),
                                     Set(setup::kRegBaseFile, baseFile),
                                 }));
            EXPECT_EQ(api->String(setup::kRegCurrentFile), L"D:\\Pics\\sea.jpg");
            if (win2k) {
                ExpectSamePicture(kBase, *c.expected);
            } else {
                EXPECT_FALSE(Exists(kBase));
            }
        }
    }
}

// The default background chosen in Murivale puts the base bitmap itself on the desktop (directly,
// or recorded behind the converted bitmap): saving again reads and replaces the same file.
TEST_F(SetupSave, BaseBitmapInPlaceIsKeptAsItIs) {
    const tk::Bitmap base = Picture(12, 9, 0x0F1E2D);
    for (const bool throughOwnBitmap : {false, true}) {
        SCOPED_TRACE(throughOwnBitmap);
        Fresh();
        AddImage(kBase, base);
        AddImage(kOwnBitmap, Picture(2, 2, 0xEEEEEE));
        Configure();
        api->SetString(setup::kRegCurrentFile, kBase);
        api->SetString(setup::kRegDesktopWallpaper, throughOwnBitmap ? kOwnBitmap : kBase);
        Open();
        ForgetCalls();
        Save();

        ExpectSaved();
        ExpectSamePicture(kBase, base);
        EXPECT_EQ(api->String(setup::kRegBaseFile), kBase);
        EXPECT_EQ(FilesIn(L"C:\\Tools"),
                  (std::set<std::string>{"alice_Base.bmp", "alice_Wallpaper.bmp"}));
    }
}

TEST_F(SetupSave, PlaceholdersAreReplacedOnlyInTheirExactSpelling) {
    struct Case {
        const wchar_t* wallpaper;
        const wchar_t* file;            // where the picture is put
        bool found;                     // whether the base bitmap is made from it
        const wchar_t* windowsDir = L"C:\\WINDOWS";
        const wchar_t* programFilesDir = nullptr;  // as the system records it
    };
    const Case cases[] = {
        {L"%USERPROFILE%\\Pictures\\me.bmp",
         L"C:\\Documents and Settings\\alice\\Pictures\\me.bmp", true},
        {L"%SystemRoot%\\Web\\Wallpaper\\Bliss.bmp", L"C:\\WINDOWS\\Web\\Wallpaper\\Bliss.bmp",
         true},
        {L"%SystemDrive%\\wall.jpg", L"C:\\wall.jpg", true},
        {L"%SystemDrive%\\wall.jpg", L"D:\\wall.jpg", true, L"D:\\WINNT"},
        {L"%ProgramFiles%\\Pics\\w.gif", L"D:\\Apps\\Pics\\w.gif", true, L"C:\\WINDOWS",
         L"D:\\Apps"},
        {L"%ProgramFiles%\\Pics\\w.gif", L"C:\\Program Files\\Pics\\w.gif", true},
        {L"%ProgramFiles%\\Pics\\w.gif", L"D:\\Program Files\\Pics\\w.gif", true, L"D:\\WINNT"},
        // Other spellings stay as they are, so the file is not found.
        {L"%userprofile%\\Pictures\\me.bmp",
         L"C:\\Documents and Settings\\alice\\Pictures\\me.bmp", false},
        {L"%systemroot%\\Web\\Wallpaper\\Bliss.bmp", L"C:\\WINDOWS\\Web\\Wallpaper\\Bliss.bmp",
         false},
        {L"%SYSTEMDRIVE%\\wall.jpg", L"C:\\wall.jpg", false},
        {L"%programfiles%\\Pics\\w.gif", L"C:\\Program Files\\Pics\\w.gif", false},
        {L"%SystemRoot\\Web\\w.bmp", L"C:\\WINDOWS\\Web\\w.bmp", false},
    };
    const tk::Bitmap wallpaper = Picture(8, 3, 0x204060);
    for (const bool workstation : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(base::ToUtf8(c.wallpaper) + " with " + base::ToUtf8(c.windowsDir) +
                         (workstation ? " (5.1)" : " (5.0)"));
            Fresh();
            api->SetVersion(2, 5, workstation ? 1 : 0, 1);
            api->windowsDir = c.windowsDir;
            MakeFolder(c.windowsDir);
            if (c.programFilesDir) {
                api->SetValue(services::RegRoot::LocalMachine,
                              L"Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir",
                              services::MakeStringData(c.programFilesDir));
            }
            AddImage(c.file, wallpaper);
            Configure();
            RemoveCurrentFile();
            api->SetString(setup::kRegDesktopWallpaper, c.wallpaper);
            Open();
            ForgetCalls();
            Save();

            ExpectSaved();
            EXPECT_EQ(Changes(), (std::vector<std::wstring>{
                                     Set(setup::kRegFolderPath, L"D:\\Pics\\"),
                                     Set(setup::kRegBaseFile, kBase),
                                     Set(setup::kRegCurrentFile, kBase),
                                 }));
            if (c.found) {
                ExpectSamePicture(kBase, wallpaper);
            } else {
                ExpectBlankBitmap(kBase);
            }
        }
    }
}

TEST_F(SetupSave, NoWallpaperFileGivesABlankBaseBitmapReplacingTheOldOne) {
    const std::optional<std::wstring> wallpapers[] = {
        std::nullopt, L"", L"C:\\WINDOWS\\gone.bmp", L"C:\\WINDOWS", L"D:\\", L"gone.bmp",
        L"Q:\\gone.bmp",
    };
    for (const auto& wallpaper : wallpapers) {
        SCOPED_TRACE(wallpaper ? "\"" + base::ToUtf8(*wallpaper) + "\"" : "missing");
        Fresh();
        AddImage(kBase, Picture(40, 30, 0x777777));  // the base of an earlier save
        OpenWithWallpaper(wallpaper);
        Save();

        ExpectSaved();
        ExpectBlankBitmap(kBase);
        EXPECT_EQ(api->String(setup::kRegBaseFile), kBase);
        EXPECT_EQ(FilesIn(L"C:\\Tools"), std::set<std::string>{"alice_Base.bmp"});
    }
}

// The 9x family records the wallpaper path as given, placeholders and all, and writes no bitmap;
// whether its version query takes the extended record or only the plain one.
TEST_F(SetupSave, Windows9xRecordsTheWallpaperPathAsReadAndWritesNoBitmap) {
    struct System {
        const char* name;
        std::function<void(fakes::FakeWinApi&)> set;
    };
    const System systems[] = {
        {"98, extended record", [](fakes::FakeWinApi& a) { a.SetVersion(1, 4, 10); }},
        {"Me, plain record only",
         [](fakes::FakeWinApi& a) {
             a.SetVersion(1, 4, 90);
             a.refuseExtendedRecord = true;
         }},
    };
    const std::optional<std::wstring> wallpapers[] = {
        L"%SystemRoot%\\Web\\Wallpaper\\Bliss.bmp", L"%USERPROFILE%\\me.jpg",
        L"C:\\WINDOWS\\w.bmp", L"", std::nullopt,
    };
    for (const System& system : systems) {
        for (const auto& wallpaper : wallpapers) {
            SCOPED_TRACE(std::string(system.name) + ": " +
                         (wallpaper ? base::ToUtf8(*wallpaper) : "missing"));
            Fresh();
            system.set(*api);
            AddImage(L"C:\\WINDOWS\\w.bmp");
            AddImage(L"C:\\WINDOWS\\Web\\Wallpaper\\Bliss.bmp");
            Configure();
            RemoveCurrentFile();
            if (wallpaper) api->SetString(setup::kRegDesktopWallpaper, *wallpaper);
            Open();
            ForgetCalls();
            Save();

            ExpectSaved();
            const std::wstring base = wallpaper.value_or(L"");
            EXPECT_EQ(Changes(), (std::vector<std::wstring>{
                                     Set(setup::kRegFolderPath, L"D:\\Pics\\"),
                                     Set(setup::kRegBaseFile, base),
                                     Set(setup::kRegCurrentFile, base),
                                 }));
            EXPECT_FALSE(Exists(kBase));
        }
    }
}

// Every NT release keeps the wallpaper as the base bitmap, whatever number its version query
// gives (Tessaban runs without the compatibility layer Murivale needs there): on Windows 8 and
// later the registry often names the system's own converted copy, a JPEG without extension that
// the system rewrites at the next wallpaper change, and a plain-colour desktop names none. A
// save always leaves a configuration Murivale can use.
TEST_F(SetupSave, EveryNtReleaseKeepsItsOwnCopyOfTheWallpaper) {
    constexpr wchar_t kTranscoded[] =
        L"C:\\Users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper";
    struct System {
        const char* name;
        std::function<void(fakes::FakeWinApi&)> set;
    };
    const System systems[] = {
        {"NT 4", [](fakes::FakeWinApi& a) { a.SetVersion(2, 4, 0, 1); }},
        {"Vista", [](fakes::FakeWinApi& a) { a.SetVersion(2, 6, 0, 1); }},
        {"10", [](fakes::FakeWinApi& a) { a.SetVersion(2, 10, 0, 1); }},
        {"10 as a server", [](fakes::FakeWinApi& a) { a.SetVersion(2, 10, 0, 3); }},
        {"a failed query", [](fakes::FakeWinApi& a) { a.versionResult = 0; }},
    };
    const tk::Bitmap meadow = Picture(6, 4, 0x40A040);
    for (const System& system : systems) {
        for (const bool plainColour : {false, true}) {
            SCOPED_TRACE(std::string(system.name) + (plainColour ? ", plain colour" : ", picture"));
            Fresh();
            system.set(*api);
            AddImages(L"C:\\Pics", 2);
            if (!plainColour) {
                AddImage(kTranscoded, meadow);
                api->SetString(setup::kRegControlPanelWallpaper, kTranscoded);
            } else {
                api->SetString(setup::kRegControlPanelWallpaper, L"");
                api->SetString(setup::kRegDesktopWallpaper, L"");
            }
            Open();
            OpenFolderInList(L"C:\\Pics");
            Save();

            ExpectSaved();
            EXPECT_EQ(api->String(setup::kRegBaseFile), kBase);
            EXPECT_EQ(api->String(setup::kRegCurrentFile), kBase);
            if (plainColour) {
                ExpectBlankBitmap(kBase);
            } else {
                ExpectSamePicture(kBase, meadow);
            }
        }
    }
}

// --- The program folder -------------------------------------------------------------------------

TEST_F(SetupSave, ProgramFolderAtADriveRoot) {
    const tk::Bitmap converted = Picture(4, 4, 0x0C0000);
    const tk::Bitmap source = Picture(6, 2, 0x00D000);
    struct Case {
        const wchar_t* wallpaper;
        const tk::Bitmap* expected;
    };
    // The own bitmap's path is compared with the doubled backslash kept.
    for (const Case c : {Case{L"C:\\\\alice_Wallpaper.bmp", &source},
                         Case{L"C:\\alice_Wallpaper.bmp", &converted}}) {
        SCOPED_TRACE(base::ToUtf8(c.wallpaper));
        Fresh();
        hl::SetAppInfo(L"C:\\", L"Tessaban", L"");
        AddImage(L"C:\\alice_Wallpaper.bmp", converted);
        AddImage(L"D:\\Pics\\sea.jpg", source);
        Configure(L"D:\\Pics\\", 2, L"1");
        api->SetString(setup::kRegCurrentFile, L"D:\\Pics\\sea.jpg");
        api->SetString(setup::kRegDesktopWallpaper, c.wallpaper);
        Open();
        ASSERT_TRUE(form->chkStartup.Checked());
        ForgetCalls();
        Save();

        ExpectSaved();
        EXPECT_EQ(Changes(), (std::vector<std::wstring>{
                                 Set(setup::kRegFolderPath, L"D:\\Pics\\"),
                                 Set(setup::kRegBaseFile, L"C:\\alice_Base.bmp"),
                                 Set(setup::kRegRunOnStartup, L"1"),
                                 Set(setup::kRegLogonEntry, L"C:\\\\Murivale.exe /p %1"),
                             }));
        ExpectSamePicture(L"C:\\alice_Base.bmp", *c.expected);
    }
}

TEST_F(SetupSave, LogonCommandNamesMurivaleInTheProgramFolder) {
    struct Case {
        const wchar_t* programFolder;
        const wchar_t* command;
    };
    const Case cases[] = {
        {L"C:\\Tools", L"C:\\Tools\\Murivale.exe /p %1"},
        {L"C:\\Program Files\\M", L"\"C:\\Program Files\\M\\Murivale.exe\" /p %1"},
        {L"D:\\My Tools", L"\"D:\\My Tools\\Murivale.exe\" /p %1"},
        {L"D:\\", L"D:\\\\Murivale.exe /p %1"},
        {L"C:\\Tools\\Sub.Dir", L"C:\\Tools\\Sub.Dir\\Murivale.exe /p %1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(base::ToUtf8(c.programFolder));
        EXPECT_EQ(setup::LogonCommand(c.programFolder), c.command);

        Fresh();
        MakeFolder(c.programFolder);
        hl::SetAppInfo(c.programFolder, L"Tessaban", L"");
        Configure();
        Open();
        form->chkStartup.OnUserToggle();
        ForgetCalls();
        Save();
        ExpectSaved();
        EXPECT_EQ(api->String(setup::kRegLogonEntry), c.command);
        EXPECT_EQ(api->String(setup::kRegRunOnStartup), L"1");
    }
}

// --- The values and the logon entry -------------------------------------------------------------

TEST_F(SetupSave, LogonOptionAndEntryInEveryCombination) {
    struct Case {
        bool boxChecked;
        std::optional<std::wstring> option;  // RunOnStartup when saving; std::nullopt: missing
        bool entryBefore;
    };
    std::vector<Case> cases;
    for (const bool box : {true, false}) {
        for (const std::optional<std::wstring>& option :
             {std::optional<std::wstring>(L"1"), std::optional<std::wstring>(L"0"),
              std::optional<std::wstring>()}) {
            for (const bool entry : {true, false}) cases.push_back({box, option, entry});
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.boxChecked ? "checked" : "unchecked") + ", option " +
                     (c.option ? base::ToUtf8(*c.option) : "missing") +
                     (c.entryBefore ? ", entry there" : ", no entry"));
        Fresh();
        api->SetVersion(1, 4, 10);
        Configure();
        api->SetString(setup::kRegDesktopWallpaper, L"C:\\WINDOWS\\w.bmp");
        Open();
        if (form->chkStartup.Checked() != c.boxChecked) form->chkStartup.OnUserToggle();
        ASSERT_EQ(form->chkStartup.Checked(), c.boxChecked);
        if (c.option) {
            api->SetString(setup::kRegRunOnStartup, *c.option);
        } else {
            RemoveValue(L"Software\\Murivale", L"RunOnStartup");
        }
        if (c.entryBefore) {
            api->SetString(setup::kRegLogonEntry, L"C:\\Old\\Murivale.exe /p %1");
        } else {
            RemoveValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Murivale");
        }
        ForgetCalls();
        Save();

        ExpectSaved();
        std::vector<std::wstring> expected = {
            Set(setup::kRegFolderPath, L"D:\\Pics\\"),
            Set(setup::kRegBaseFile, L"C:\\WINDOWS\\w.bmp"),
        };
        std::optional<std::wstring> optionAfter = c.option;
        std::optional<std::wstring> entryAfter;
        if (c.entryBefore) entryAfter = L"C:\\Old\\Murivale.exe /p %1";
        if (c.boxChecked) {
            expected.push_back(Set(setup::kRegRunOnStartup, L"1"));
            expected.push_back(Set(setup::kRegLogonEntry, kLogonCommand));
            optionAfter = L"1";
            entryAfter = kLogonCommand;
        } else if (c.option == std::wstring(L"1")) {
            expected.push_back(Set(setup::kRegRunOnStartup, L"0"));
            expected.push_back(Deleted(setup::kRegLogonEntry));
            optionAfter = L"0";
            entryAfter.reset();
        }
        EXPECT_EQ(Changes(), expected);
        EXPECT_EQ(api->String(setup::kRegRunOnStartup), optionAfter);
        EXPECT_EQ(api->String(setup::kRegLogonEntry), entryAfter);
    }
}

TEST_F(SetupSave, CurrentFileIsWrittenOnlyWhileEmpty) {
    struct Case {
        std::optional<std::wstring> before;
        bool written;
    };
    for (const Case& c : {Case{std::nullopt, true}, Case{L"", true},
                          Case{L"D:\\Pics\\a2.jpg", false}, Case{L" ", false}}) {
        SCOPED_TRACE(c.before ? "\"" + base::ToUtf8(*c.before) + "\"" : "missing");
        Fresh();
        api->SetVersion(1, 4, 10);
        Configure();
        api->SetString(setup::kRegDesktopWallpaper, L"C:\\WINDOWS\\w.bmp");
        Open();
        if (c.before) {
            api->SetString(setup::kRegCurrentFile, *c.before);
        } else {
            RemoveCurrentFile();
        }
        ForgetCalls();
        Save();

        ExpectSaved();
        std::vector<std::wstring> expected = {Set(setup::kRegFolderPath, L"D:\\Pics\\"),
                                              Set(setup::kRegBaseFile, L"C:\\WINDOWS\\w.bmp")};
        if (c.written) expected.push_back(Set(setup::kRegCurrentFile, L"C:\\WINDOWS\\w.bmp"));
        EXPECT_EQ(Changes(), expected);
        EXPECT_EQ(api->String(setup::kRegCurrentFile),
                  c.written ? std::wstring(L"C:\\WINDOWS\\w.bmp") : *c.before);
    }
}

// --- When the base bitmap cannot be made ---------------------------------------------------------

TEST_F(SetupSave, UnusableWallpaperOrUnwritableBaseStopsTheSaveBeforeAnyWrite) {
    enum class Trouble { WallpaperNoPicture, WallpaperTruncated, ProgramFolderGone, BaseIsAFolder };
    const tk::Bitmap earlier = Picture(5, 5, 0x505050);
    for (const Trouble trouble : {Trouble::WallpaperNoPicture, Trouble::WallpaperTruncated,
                                  Trouble::ProgramFolderGone, Trouble::BaseIsAFolder}) {
        SCOPED_TRACE(static_cast<int>(trouble));
        Fresh();
        AddImage(L"C:\\WINDOWS\\w.bmp", Picture(3, 3, 0x112233));
        switch (trouble) {
            case Trouble::WallpaperNoPicture:
                AddFile(L"C:\\WINDOWS\\w.bmp", "these are not the bytes of a picture");
                AddImage(kBase, earlier);
                break;
            case Trouble::WallpaperTruncated: {
                std::vector<std::uint8_t> bytes = tk::EncodeBmp24(Picture(30, 30, 1));
                bytes.resize(60);
                tk::fs::WriteFileAtomic(L"C:\\WINDOWS\\w.bmp", bytes);
                AddImage(kBase, earlier);
                break;
            }
            case Trouble::ProgramFolderGone:
                hl::SetAppInfo(L"C:\\Gone", L"Tessaban", L"");
                break;
            case Trouble::BaseIsAFolder:
                MakeFolder(kBase);
                break;
        }
        Configure(L"D:\\Pics\\", 2, L"1");
        RemoveCurrentFile();
        api->SetString(setup::kRegDesktopWallpaper, L"C:\\WINDOWS\\w.bmp");
        api->SetString(setup::kRegLogonEntry, kLogonCommand);
        Open();
        form->chkStartup.OnUserToggle();  // unticked: a save would delete the entry
        ForgetCalls();
        Save();

        ASSERT_NO_FATAL_FAILURE(ExpectRefused());
        EXPECT_FALSE(hl::MessageBoxes()[0].text.empty());
        EXPECT_EQ(api->String(setup::kRegLogonEntry), kLogonCommand);
        EXPECT_EQ(api->String(setup::kRegRunOnStartup), L"1");
        EXPECT_FALSE(api->HasValue(setup::kRegCurrentFile));
        if (trouble == Trouble::WallpaperNoPicture || trouble == Trouble::WallpaperTruncated) {
            ExpectSamePicture(kBase, earlier);
            EXPECT_EQ(FilesIn(L"C:\\Tools"), std::set<std::string>{"alice_Base.bmp"});
        }
        if (trouble == Trouble::ProgramFolderGone) {
            EXPECT_FALSE(Exists(L"C:\\Gone"));
        }
        if (trouble == Trouble::BaseIsAFolder) {  // no half-written file left beside it
            EXPECT_EQ(FilesIn(L"C:\\Tools"), std::set<std::string>{"alice_Base.bmp"});
        }

        // With the trouble gone, the same window saves.
        if (trouble == Trouble::ProgramFolderGone) MakeFolder(L"C:\\Gone");
        if (trouble == Trouble::BaseIsAFolder) std::filesystem::remove(Host(kBase));
        if (trouble == Trouble::WallpaperNoPicture || trouble == Trouble::WallpaperTruncated) {
            AddImage(L"C:\\WINDOWS\\w.bmp", Picture(3, 3, 0x112233));
        }
        Save();
        EXPECT_EQ(hl::MessageBoxes().size(), 1u);
        EXPECT_FALSE(form->IsLoaded());
        const std::wstring base = trouble == Trouble::ProgramFolderGone
                                      ? L"C:\\Gone\\alice_Base.bmp"
                                      : kBase;
        EXPECT_EQ(api->String(setup::kRegBaseFile), base);
        ExpectSamePicture(base, Picture(3, 3, 0x112233));
        EXPECT_EQ(api->String(setup::kRegRunOnStartup), L"0");
        EXPECT_FALSE(api->HasValue(setup::kRegLogonEntry));
    }
}

// A refused save leaves nothing of its own behind: the next one starts again from the wallpaper in
// place at that time.
TEST_F(SetupSave, RetryAfterAFailedWriteStartsFromTheWallpaperInPlaceThen) {
    hl::SetAppInfo(L"C:\\Gone", L"Tessaban", L"");
    AddImage(L"C:\\WINDOWS\\w.bmp", Picture(6, 6, 0x123456));
    OpenWithWallpaper(L"C:\\WINDOWS\\w.bmp");
    Save();
    ASSERT_NO_FATAL_FAILURE(ExpectRefused());

    MakeFolder(L"C:\\Gone");
    std::filesystem::remove(Host(L"C:\\WINDOWS\\w.bmp"));
    Save();
    EXPECT_FALSE(form->IsLoaded());
    ExpectBlankBitmap(L"C:\\Gone\\alice_Base.bmp");
    EXPECT_EQ(api->String(setup::kRegBaseFile), L"C:\\Gone\\alice_Base.bmp");
}

// Every file of the image corpus as the wallpaper in place: a picture the loader reads becomes the
// base bitmap pixel for pixel; any other stops the save with nothing written and the earlier base
// bitmap intact.
TEST_F(SetupSave, EveryCorpusFileAsWallpaperEitherBecomesTheBaseOrStopsTheSaveCleanly) {
    const std::string folder = corpus::Folder();
    const std::vector<corpus::Entry> entries = corpus::ReadManifest(folder);
    ASSERT_FALSE(entries.empty()) << "no image corpus at " << folder;
    const tk::Bitmap earlier = Picture(5, 5, 0x505050);
    int saved = 0, refused = 0;
    for (const corpus::Entry& entry : entries) {
        SCOPED_TRACE(entry.path + " (" + entry.expect + ")");
        Fresh();
        const std::string name = corpus::FileName(entry.path);
        const std::size_t dot = name.rfind('.');
        const std::wstring wallpaper =
            L"C:\\WINDOWS\\Web\\wall" +
            (dot == std::string::npos ? std::wstring() : base::FromUtf8(name.substr(dot)));
        MakeFolder(L"C:\\WINDOWS\\Web");
        std::filesystem::copy_file(folder + "/" + entry.path, Host(wallpaper));
        AddImage(kBase, earlier);
        Configure();
        api->SetString(setup::kRegDesktopWallpaper, wallpaper);
        Open();
        ForgetCalls();
        Save();

        std::optional<tk::Bitmap> decoded;
        try {
            decoded = tk::DecodeImageFile(wallpaper);
        } catch (const std::exception&) {
        }
        if (entry.expect == "decode") {
            EXPECT_TRUE(decoded.has_value());
        }
        if (entry.expect == "reject") {
            EXPECT_FALSE(decoded.has_value());
        }
        if (decoded) {
            ++saved;
            ExpectSaved();
            EXPECT_EQ(Changes(), (std::vector<std::wstring>{
                                     Set(setup::kRegFolderPath, L"D:\\Pics\\"),
                                     Set(setup::kRegBaseFile, kBase),
                                 }));
            ExpectSamePicture(kBase, *decoded);
            if (entry.width > 0 && entry.expect == "decode") {
                EXPECT_EQ(decoded->width, entry.width);
                EXPECT_EQ(decoded->height, entry.height);
            }
        } else {
            ++refused;
            ASSERT_NO_FATAL_FAILURE(ExpectRefused());
            ExpectSamePicture(kBase, earlier);
        }
        EXPECT_EQ(FilesIn(L"C:\\Tools"), std::set<std::string>{"alice_Base.bmp"});
    }
    EXPECT_GT(saved, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace

// --- Windows 7 and later keep the wallpaper only under Control Panel ----------------------------

TEST_F(SetupSave, WallpaperIsTakenFromControlPanelWhereTheShellKeepsNone) {
    // The system's converted copy of the user's picture, a file without extension.
    constexpr wchar_t kTranscoded[] =
        L"C:\\Users\\alice\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper";
    const tk::Bitmap meadow = Picture(6, 4, 0x40A040);
    for (const bool win2k : {true, false}) {
        SCOPED_TRACE(win2k ? "Win2k" : "other system");
        Fresh();
        if (!win2k) api->SetVersion(1, 4, 10);
        AddImage(kTranscoded, meadow);
        AddImages(L"C:\\Pics", 2);
        api->SetString(setup::kRegControlPanelWallpaper, kTranscoded);
        Open();
        OpenFolderInList(L"C:\\Pics");
        Save();
        ExpectSaved();
        if (win2k) {
            EXPECT_EQ(api->String(setup::kRegBaseFile), kBase);
            ExpectSamePicture(kBase, meadow);
        } else {
            EXPECT_EQ(api->String(setup::kRegBaseFile), kTranscoded);
        }
        EXPECT_EQ(api->String(setup::kRegControlPanelWallpaper), kTranscoded);
    }
}

TEST_F(SetupSave, ShellWallpaperValueWinsOverControlPanelAndOwnBitmapCountsInEither) {
    struct Case {
        const char* what;
        const wchar_t* shell;  // nullptr: the value is missing
        const wchar_t* controlPanel;
        const wchar_t* baseFile;
    };
    const Case cases[] = {
        {"shell value set", L"D:\\old.bmp", L"D:\\other.bmp", L"D:\\old.bmp"},
        {"shell value empty", L"", L"D:\\other.bmp", L"D:\\other.bmp"},
        {"own bitmap under Control Panel", nullptr, kOwnBitmap, L"D:\\Pics\\b.jpg"},
        {"neither", nullptr, nullptr, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        api->SetVersion(1, 4, 10);
        AddImages(L"C:\\Pics", 2);
        if (c.shell) api->SetString(setup::kRegDesktopWallpaper, c.shell);
        if (c.controlPanel) api->SetString(setup::kRegControlPanelWallpaper, c.controlPanel);
        api->SetString(setup::kRegCurrentFile, L"D:\\Pics\\b.jpg");
        Open();
        OpenFolderInList(L"C:\\Pics");
        Save();
        ExpectSaved();
        EXPECT_EQ(api->String(setup::kRegBaseFile), c.baseFile);
    }
}

// The default background is the wallpaper that came last, whether Murivale applied it or the
// user picked it in the settings of Windows 7 and later (which write the Control Panel's value
// alone), in either order.
TEST_F(SetupSave, DefaultBackgroundIsTheLastWallpaperSetWhetherByMurivaleOrInTheSettings) {
    constexpr wchar_t kCat[] = L"C:\\Users\\alice\\Pictures\\cat.jpg";
    const tk::Bitmap cat = Picture(5, 3, 0x0A0B0C);
    const tk::Bitmap sea = Picture(3, 5, 0x0D0E0F);
    struct Order {
        const char* what;
        bool murivaleFirst;
        const tk::Bitmap* expected;
    };
    for (const Order& order : {Order{"Murivale first", true, &cat}, Order{"settings first", false, &sea}}) {
        SCOPED_TRACE(order.what);
        Fresh();
        api->SetVersion(2, 10, 0, 1);
        AddImages(L"C:\\Pics", 2);
        AddImage(kCat, cat);
        AddImage(L"D:\\Pics\\sea.jpg", sea);
        const auto murivaleApplies = [&] {
            api->SetString(setup::kRegCurrentFile, L"D:\\Pics\\sea.jpg");
            api->SetString(setup::kRegDesktopWallpaper, kOwnBitmap);
            api->SetString(setup::kRegControlPanelWallpaper, kOwnBitmap);
        };
        const auto userPicksInSettings = [&] { api->SetString(setup::kRegControlPanelWallpaper, kCat); };
        if (order.murivaleFirst) {
            murivaleApplies();
            userPicksInSettings();
        } else {
            userPicksInSettings();
            murivaleApplies();
        }
        Open();
        OpenFolderInList(L"C:\\Pics");
        Save();
        ExpectSaved();
        EXPECT_EQ(api->String(setup::kRegBaseFile), kBase);
        ExpectSamePicture(kBase, *order.expected);
    }
}
