// Tessaban's window: what it reads when it opens and how it repairs what it cannot use, the image
// count of the folder shown, the About box, and closing without saving.
#include <gtest/gtest.h>

#include <vector>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "base/Text.h"
#include "tests/unit/SetupFixture.h"

namespace {

namespace hl = tk::headless;
using testing_support::TessabanTest;

class SetupWindow : public TessabanTest {};
class SetupConfig : public TessabanTest {};

constexpr tk::Color kRedText = 255;
// The count of two or more is drawn in the scheme's text colour (black in the standard one).
constexpr tk::Color kSchemeText = tk::kButtonText;

// --- Opening -------------------------------------------------------------------------------------

// The captions whose colour the window does not set follow the system's text colour (readable
// in any scheme); the count keeps its black and red.
TEST_F(SetupWindow, CaptionsFollowTheSchemeAndOnlyTheCountHasColoursOfItsOwn) {
    AddImage(L"C:\\a.jpg");
    Open();
    for (const tk::Label* label : {&form->Label8, &form->Label1}) {
        SCOPED_TRACE(base::ToUtf8(label->Caption()));
        EXPECT_EQ(label->ForeColor(), tk::kButtonText);
        EXPECT_TRUE(tk::IsSystemColor(label->ForeColor()));
    }
    EXPECT_EQ(form->lblImages.ForeColor(), kRedText);
}

TEST_F(SetupWindow, FirstRunShowsDriveCWithItsCountAndOnlyResetsTheLogonOption) {
    AddImage(L"C:\\a.jpg");
    AddImage(L"C:\\b.gif");
    AddImage(L"C:\\c.bmp");
    Open();

    EXPECT_TRUE(hl::IsShown(*form));
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(form->dirPath.Path(), L"C:\\");
    EXPECT_EQ(state().FolderPath, L"C:\\");
    EXPECT_EQ(form->lblImages.Caption(), L"3");
    EXPECT_EQ(form->lblImages.ForeColor(), kSchemeText);
    EXPECT_FALSE(form->chkStartup.Checked());
    EXPECT_EQ(Changes(), (std::vector<std::wstring>{Set(setup::kRegRunOnStartup, L"0")}));
    EXPECT_EQ(state().UserName, L"alice");
    EXPECT_EQ(state().ProfileDir, L"C:\\Documents and Settings\\alice");
    EXPECT_EQ(state().WindowsDir, L"C:\\WINDOWS");
    EXPECT_EQ(state().OSType, L"Win2k");
}

// The window as the user meets it: every control where it belongs, in tab order, the count
// right-aligned and the logon option's tool tip.
TEST_F(SetupWindow, LayoutTabOrderToolTipAndAlignment) {
    Configure();
    Open();
    struct Expected { const tk::Control* control; tk::RectTwips bounds; };
    const Expected expected[] = {
        {&form->cmdSet, {3240, 3360, 2055, 375}},   {&form->cmdCancel, {120, 3360, 1335, 375}},
        {&form->cmdAbout, {1680, 3360, 1335, 375}}, {&form->Label8, {120, 120, 5175, 255}},
        {&form->dirPath, {120, 480, 5175, 2115}},   {&form->Label1, {240, 2640, 3375, 255}},
        {&form->lblImages, {3720, 2640, 1455, 255}}, {&form->chkStartup, {240, 3000, 2895, 255}},
        {&form->picSave, {3720, 3000, 15, 15}},     {&form->File1, {3240, 2760, 615, 480}},
    };
    for (int i = 0; i < 10; ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(e.control->TabIndex(), i);
        const tk::RectTwips& b = e.control->Bounds();
        EXPECT_EQ((std::vector<int>{b.left, b.top, b.width, b.height}),
                  (std::vector<int>{e.bounds.left, e.bounds.top, e.bounds.width, e.bounds.height}));
    }
    EXPECT_EQ(form->Style().clientWidth, 5415);
    EXPECT_EQ(form->Style().clientHeight, 3855);
    EXPECT_EQ(form->cmdSet.Caption(), L"Accept and &Save");
    EXPECT_EQ(form->chkStartup.Caption(), L"Set &Random Wallpaper at Startup");
    EXPECT_EQ(form->chkStartup.ToolTip(), L"Murivale will change your wallpaper when you log in.");
    EXPECT_EQ(form->lblImages.Alignment(), tk::Align::Right);
    EXPECT_EQ(form->Label1.Alignment(), tk::Align::Left);
    EXPECT_FALSE(form->File1.Visible());
}

TEST_F(SetupWindow, OpensWithSaveFocusedAndEscapeCancels) {
    Configure();
    Open();
    EXPECT_EQ(form->ActiveControl(), &form->cmdSet);
    EXPECT_FALSE(form->File1.Visible());
    ForgetCalls();
    form->OnUserEscape();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_TRUE(Changes().empty());
}

TEST_F(SetupConfig, ConfiguredFolderIsShownAndNothingIsWritten) {
    Configure(L"D:\\Pics\\", 4, L"1");
    AddImage(L"C:\\only.jpg");
    Open();

    EXPECT_EQ(form->dirPath.Path(), L"D:\\Pics");
    EXPECT_EQ(state().FolderPath, L"D:\\Pics\\");
    EXPECT_EQ(form->lblImages.Caption(), L"4");
    EXPECT_EQ(form->lblImages.ForeColor(), kSchemeText);
    EXPECT_TRUE(form->chkStartup.Checked());
    EXPECT_TRUE(Changes().empty());
    EXPECT_TRUE(hl::MessageBoxes().empty());
}

// A configured folder that cannot be reached when the window opens (a drive unplugged, a share
// offline, a folder deleted) is no reason to forget the configuration: the window shows C:\
// silently, the logon option as stored, and nothing is written unless the user saves.
TEST_F(SetupConfig, UnreachableConfiguredFolderShowsDriveCAndWritesNothing) {
    const wchar_t* const folders[] = {
        L"D:\\Gone\\",          // deleted since the last save
        L"D:\\Pics\\Gone\\",    // deleted, parent still there
        L"Q:\\Pics\\",          // a drive that is not there (unplugged)
        L"Pics\\",              // no drive at all
        L"C:\\a.jpg\\",         // a file, not a folder
    };
    for (const wchar_t* folder : folders) {
        for (const bool ticked : {true, false}) {
            SCOPED_TRACE(base::ToUtf8(folder) + (ticked ? " ticked" : " unticked"));
            Fresh();
            MakeFolder(L"D:\\Pics");
            AddImage(L"C:\\a.jpg");
            AddImage(L"C:\\b.jpg");
            api->SetString(setup::kRegFolderPath, folder);
            api->SetString(setup::kRegBaseFile, L"C:\\Tools\\alice_Base.bmp");
            api->SetString(setup::kRegCurrentFile, L"D:\\Gone\\sea.jpg");
            api->SetString(setup::kRegRunOnStartup, ticked ? L"1" : L"0");
            api->SetString(setup::kRegLogonEntry, L"C:\\Tools\\Murivale.exe /p %1");
            Open();

            EXPECT_TRUE(hl::IsShown(*form));
            EXPECT_TRUE(hl::MessageBoxes().empty());
            EXPECT_TRUE(Changes().empty());
            EXPECT_EQ(form->dirPath.Path(), L"C:\\");
            EXPECT_EQ(state().FolderPath, L"C:\\");
            EXPECT_EQ(form->lblImages.Caption(), L"2");
            EXPECT_EQ(form->lblImages.ForeColor(), kSchemeText);
            EXPECT_EQ(form->chkStartup.Checked(), ticked);

            form->cmdCancel.OnUserPress();
            EXPECT_FALSE(form->IsLoaded());
            EXPECT_TRUE(Changes().empty());
            EXPECT_EQ(api->String(setup::kRegFolderPath), folder);
            EXPECT_EQ(api->String(setup::kRegRunOnStartup), ticked ? L"1" : L"0");
        }
    }
}

// After such an opening a save writes the whole configuration, and an unticked box still
// removes the logon entry that the stored option says was written.
TEST_F(SetupConfig, SaveAfterAnUnreachableFolderWritesTheWholeConfiguration) {
    api->SetString(setup::kRegFolderPath, L"Q:\\Pics\\");
    api->SetString(setup::kRegBaseFile, L"C:\\Tools\\alice_Base.bmp");
    api->SetString(setup::kRegCurrentFile, L"Q:\\Pics\\sea.jpg");
    api->SetString(setup::kRegRunOnStartup, L"1");
    api->SetString(setup::kRegLogonEntry, L"C:\\Tools\\Murivale.exe /p %1");
    AddImages(L"C:\\Pics", 2);
    Open();
    ASSERT_TRUE(form->chkStartup.Checked());
    OpenFolderInList(L"C:\\Pics");
    form->chkStartup.SetChecked(false);
    Save();

    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(api->String(setup::kRegFolderPath), L"C:\\Pics\\");
    EXPECT_EQ(api->String(setup::kRegBaseFile), L"C:\\Tools\\alice_Base.bmp");
    EXPECT_EQ(api->String(setup::kRegRunOnStartup), L"0");
    EXPECT_FALSE(api->HasValue(setup::kRegLogonEntry));
}

// The configured folder is there when the list moves to it but gone when its files are listed.
TEST_F(SetupConfig, ConfiguredFolderVanishingWhileOpeningShowsDriveCAndWritesNothing) {
    Configure(L"D:\\Pics\\", 2, L"1");
    AddImage(L"C:\\a.jpg");
    api->SetString(setup::kRegLogonEntry, L"C:\\Tools\\Murivale.exe /p %1");
    form = std::make_unique<setup::frmConfig>();
    const std::function<void()> handler = form->dirPath.Change;
    form->dirPath.Change = [this, handler] {
        if (form->dirPath.Path() == L"D:\\Pics") std::filesystem::remove_all(Host(L"D:\\Pics"));
        handler();
    };
    tk::Run(*form);

    EXPECT_TRUE(hl::IsShown(*form));
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(form->dirPath.Path(), L"C:\\");
    EXPECT_EQ(form->lblImages.Caption(), L"1");
    EXPECT_TRUE(form->chkStartup.Checked());
}

TEST_F(SetupConfig, NoDriveCStillOpensTheWindowAndWritesNothing) {
    Configure();
    hl::ClearDriveMappings();
    hl::MapDrive(L'D', (temp.path() / "D").string());
    Open();
    EXPECT_TRUE(hl::IsShown(*form));
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(form->dirPath.Path(), L"D:\\Pics");
    EXPECT_FALSE(form->chkStartup.Checked());
}

// The logon option is a decimal number rounded half to even into 16 bits; 1 checks the box.
// A number is never rewritten; anything else becomes "0".
TEST_F(SetupConfig, LogonOptionIsReadAsARoundedNumber) {
    struct Case {
        std::optional<std::wstring> stored;  // std::nullopt: no value at all
        bool checked;
        bool rewritten;
    };
    const Case cases[] = {
        {L"1", true, false},       {L" 1 ", true, false},     {L"1.4", true, false},
        {L"0.51", true, false},    {L"+1", true, false},      {L"0", false, false},
        {L"2", false, false},      {L"-1", false, false},     {L"0.5", false, false},
        {L"1.5", false, false},    {L"2.5", false, false},    {L"32767", false, false},
        {L"-32768", false, false}, {L"-32768.5", false, false},
        {L"32767.5", false, true}, {L"32768", false, true},   {L"-32769", false, true},
        {L"99999", false, true},   {L"abc", false, true},     {L"", false, true},
        {L"   ", false, true},     {L"&H1", false, true},     {L"0x1", false, true},
        {L"1a", false, true},      {L"yes", false, true},     {L"inf", false, true},
        {L"nan", false, true},     {std::nullopt, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? "\"" + base::ToUtf8(*c.stored) + "\"" : "missing");
        Fresh();
        Configure(L"D:\\Pics\\", 2);
        if (c.stored) {
            api->SetString(setup::kRegRunOnStartup, *c.stored);
        } else {
            api->RegRemoveValue(services::RegRoot::CurrentUser, L"Software\\Murivale", L"RunOnStartup");
            ASSERT_FALSE(api->HasValue(setup::kRegRunOnStartup));
        }
        ForgetCalls();
        Open();

        EXPECT_EQ(form->chkStartup.Checked(), c.checked);
        if (c.rewritten) {
            EXPECT_EQ(Changes(), (std::vector<std::wstring>{Set(setup::kRegRunOnStartup, L"0")}));
        } else {
            EXPECT_TRUE(Changes().empty());
        }
        // The folder is read before the option, so a bad option costs only the option.
        EXPECT_EQ(form->dirPath.Path(), L"D:\\Pics");
        EXPECT_EQ(api->String(setup::kRegFolderPath), L"D:\\Pics\\");
    }
}

TEST_F(SetupConfig, NumberParsingTable) {
    struct Case {
        const wchar_t* text;
        std::optional<std::int16_t> value;
    };
    const Case cases[] = {
        {L"1", 1},          {L" 1 ", 1},        {L"1.4", 1},         {L"0.5", 0},
        {L"1.5", 2},        {L"2.5", 2},        {L"-2.5", -2},       {L"3.5", 4},
        {L"-0.4", 0},       {L"1e1", 10},       {L"32767", 32767},   {L"-32768", -32768},
        {L"32767.4", 32767}, {L"32767.5", {}},  {L"32768", {}},      {L"-32769", {}},
        {L"99999", {}},     {L"1e10", {}},      {L"abc", {}},        {L"", {}},
        {L" ", {}},         {L"&H1", {}},       {L"0x10", {}},       {L"1 2", {}},
        {L"1,5", {}},       {L".", {}},         {L"-", {}},          {L"e1", {}},
        {L"Infinity", {}},  {L"NaN", {}},       {L"1e999", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(base::ToUtf8(c.text));
        EXPECT_EQ(setup::ParseInt16(c.text), c.value);
    }
}

// --- The folder and its count -------------------------------------------------------------------

TEST_F(SetupWindow, CountIsRedBelowTwoAndBlackFromTwo) {
    struct Case {
        int images;
        tk::Color colour;
    };
    for (const Case c : {Case{0, kRedText}, Case{1, kRedText}, Case{2, kSchemeText},
                         Case{7, kSchemeText}}) {
        SCOPED_TRACE(c.images);
        Fresh();
        MakeFolder(L"C:\\Pics");
        AddImages(L"C:\\Pics", c.images);
        AddImages(L"C:\\Other", 3);
        Open();
        OpenFolderInList(L"C:\\Pics");
        EXPECT_EQ(form->lblImages.Caption(), base::DecimalText(c.images));
        EXPECT_EQ(form->lblImages.ForeColor(), c.colour);
        EXPECT_EQ(state().FolderPath, L"C:\\Pics\\");

        // Back at the root the count follows again.
        OpenFolderInList(L"C:\\");
        EXPECT_EQ(form->lblImages.Caption(), L"0");
        EXPECT_EQ(form->lblImages.ForeColor(), kRedText);
        EXPECT_EQ(state().FolderPath, L"C:\\");
    }
}

TEST_F(SetupWindow, OnlyMatchingFilesDirectlyInTheFolderCount) {
    AddImage(L"D:\\Mix\\a.jpeg");
    AddImage(L"D:\\Mix\\B.JPG");
    AddImage(L"D:\\Mix\\c.Jpg");
    AddImage(L"D:\\Mix\\d.gif");
    AddImage(L"D:\\Mix\\e.BMP");
    AddImage(L"D:\\Mix\\f.dib");
    AddFile(L"D:\\Mix\\notes.jpg", "not a picture at all");  // counted: names decide
    AddImage(L"D:\\Mix\\g.png");
    AddImage(L"D:\\Mix\\h.tif");
    AddImage(L"D:\\Mix\\i.jpg.png");
    AddImage(L"D:\\Mix\\j.gif.bak");
    AddImage(L"D:\\Mix\\jpg");
    AddImage(L"D:\\Mix\\.hidden.jpg");
    AddImage(L"D:\\Mix\\Sub\\inner.jpg");
    AddImage(L"D:\\Mix\\Sub\\inner2.jpg");
    MakeFolder(L"D:\\Mix\\folder.jpg");
    api->SetString(setup::kRegFolderPath, L"D:\\Mix\\");
    api->SetString(setup::kRegRunOnStartup, L"0");
    Open();

    std::string listed;
    for (const std::wstring& name : form->File1.Items()) listed += base::ToUtf8(name) + " ";
    EXPECT_EQ(form->lblImages.Caption(), L"7") << listed;
}

TEST_F(SetupWindow, OnlyTheRootOfDriveCLosesItsDoubledBackslash) {
    struct Case {
        const wchar_t* configured;
        const wchar_t* shown;
        const wchar_t* folderPath;
    };
    for (const Case c : {Case{L"C:\\", L"C:\\", L"C:\\"},
                         Case{L"D:\\", L"D:\\", L"D:\\\\"},
                         Case{L"D:\\Pics\\", L"D:\\Pics", L"D:\\Pics\\"},
                         Case{L"C:\\Pics\\Sea\\", L"C:\\Pics\\Sea", L"C:\\Pics\\Sea\\"}}) {
        SCOPED_TRACE(base::ToUtf8(c.configured));
        Fresh();
        MakeFolder(c.configured);
        api->SetString(setup::kRegFolderPath, c.configured);
        api->SetString(setup::kRegRunOnStartup, L"0");
        Open();
        EXPECT_EQ(form->dirPath.Path(), c.shown);
        EXPECT_EQ(state().FolderPath, c.folderPath);
        EXPECT_TRUE(Changes().empty());
    }
}

TEST_F(SetupWindow, FolderThatVanishesAfterTheUserMovedThereShowsNoImages) {
    AddImages(L"C:\\Pics", 3);
    AddImages(L"C:", 2);
    Open();
    ASSERT_EQ(form->lblImages.Caption(), L"2");
    // The folder goes away between the move and the count.
    const std::function<void()> handler = form->dirPath.Change;
    form->dirPath.Change = [this, handler] {
        std::filesystem::remove_all(Host(L"C:\\Pics"));
        handler();
    };
    ForgetCalls();
    OpenFolderInList(L"C:\\Pics");

    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(hl::MessageBoxes().empty());
    EXPECT_EQ(form->lblImages.Caption(), L"0");
    EXPECT_EQ(form->lblImages.ForeColor(), kRedText);
    EXPECT_TRUE(Changes().empty());

    Save();
    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].text, L"No valid image files found in folder");
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(Changes().empty());
}

TEST_F(SetupWindow, MoreImagesThanA16BitCountHoldsAreCountedInFull) {
    const std::filesystem::path many = Host(L"D:\\Many");
    std::filesystem::create_directories(many);
    constexpr int kFiles = 32770;
    for (int i = 0; i < kFiles; ++i) {
        std::ofstream(many / ("p" + std::to_string(i) + ".jpg")).put('x');
    }
    api->SetString(setup::kRegFolderPath, L"D:\\Many\\");
    api->SetString(setup::kRegRunOnStartup, L"0");
    api->SetVersion(1, 4, 10);  // no base bitmap: the count is what matters here
    Open();
    EXPECT_EQ(form->lblImages.Caption(), L"32770");
    EXPECT_EQ(form->lblImages.ForeColor(), kSchemeText);

    // Murivale cannot take so many: saving refuses the folder (test_setup_save.cpp).
    ForgetCalls();
    Save();
    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].text, L"More than 32767 valid image files found in folder");
    EXPECT_TRUE(form->IsLoaded());
}

// --- About, Cancel, close box -------------------------------------------------------------------

TEST_F(SetupWindow, AboutBoxShowsTheVersionAndKeepsTheWindowOpen) {
    Configure();
    Open();
    ForgetCalls();
    form->cmdAbout.OnUserPress();

    ASSERT_EQ(hl::MessageBoxes().size(), 1u);
    EXPECT_EQ(hl::MessageBoxes()[0].text,
              L"Murivale and Tessaban\r\n"
              L"\r\n"
              L"Compatible with, as far as I know,\r\n"
              L"the Windows 9x operating systems,\r\n"
              L"all Windows 2000 operating systems,\r\n"
              L"and the Windows XP operating systems.\r\n"
              L"\r\n"
              L"Current Version:  1.25");
    EXPECT_EQ(hl::MessageBoxes()[0].title, L"About");
    EXPECT_EQ(hl::MessageBoxes()[0].style, 64);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(hl::IsShown(*form));
    EXPECT_TRUE(Changes().empty());
}

TEST_F(SetupWindow, CancelAndTheCloseBoxEndTheProgramWithoutWriting) {
    const std::function<void(setup::frmConfig&)> ways[] = {
        [](setup::frmConfig& f) { f.cmdCancel.OnUserPress(); },
        [](setup::frmConfig& f) { f.OnUserClose(); },
        [](setup::frmConfig& f) { f.OnUserEscape(); },
    };
    int way = 0;
    for (const auto& close : ways) {
        SCOPED_TRACE(way++);
        Fresh();
        Configure(L"D:\\Pics\\", 3, L"1");
        api->SetString(setup::kRegLogonEntry, L"C:\\Tools\\Murivale.exe /p %1");
        Open();
        form->chkStartup.OnUserToggle();  // the user unticks the box, then thinks better of it
        OpenFolderInList(L"D:\\");
        ForgetCalls();
        close(*form);

        EXPECT_FALSE(form->IsLoaded());
        EXPECT_TRUE(hl::QuitRequested());
        EXPECT_TRUE(Changes().empty());
        EXPECT_TRUE(hl::MessageBoxes().empty());
        EXPECT_FALSE(Exists(L"C:\\Tools\\alice_Base.bmp"));
        EXPECT_EQ(api->String(setup::kRegRunOnStartup), L"1");
        EXPECT_EQ(api->String(setup::kRegLogonEntry), L"C:\\Tools\\Murivale.exe /p %1");
    }
}

TEST_F(SetupWindow, CancelledFirstRunLeavesOnlyTheResetLogonOption) {
    Open();
    form->cmdCancel.OnUserPress();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(Changes(), (std::vector<std::wstring>{Set(setup::kRegRunOnStartup, L"0")}));
    EXPECT_FALSE(api->HasValue(setup::kRegFolderPath));
    EXPECT_FALSE(api->HasValue(setup::kRegBaseFile));
    EXPECT_FALSE(api->HasValue(setup::kRegCurrentFile));
    EXPECT_FALSE(api->HasValue(setup::kRegLogonEntry));
}

}  // namespace
