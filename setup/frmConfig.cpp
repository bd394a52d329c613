#include "setup/frmConfig.h"

#include <exception>

#include "base/Text.h"
#include "resources/version.h"
#include "services/DesktopWallpaper.h"
#include "services/LoginName.h"
#include "services/OsType.h"
#include "services/Registry.h"
#include "setup/modConfig.h"
#include "toolkit/App.h"
#include "toolkit/FileSystem.h"

namespace setup {
namespace {

tk::FormStyle WindowStyle() {
    tk::FormStyle style;
    style.caption = L"Tessaban - Setup Program for Murivale";
    style.border = tk::BorderStyle::Sizable;
    style.minButton = true;
    style.maxButton = false;
    style.clientWidth = 5415;
    style.clientHeight = 3855;
    style.startPosition = tk::StartPosition::WindowsDefault;
    return style;
}

constexpr wchar_t kErrorTitle[] = L"Error";
constexpr wchar_t kAboutText[] =
    L"Murivale and Tessaban\r\n"
    L"\r\n"
    L"Compatible with, as far as I know,\r\n"
    L"the Windows 9x operating systems,\r\n"
    L"all Windows 2000 operating systems,\r\n"
    L"and the Windows XP operating systems.\r\n"
    L"\r\n"
    L"Current Version:  " MURIVALE_VERSION_SHORT;

SetupState& State() { return Setup().state; }

services::WinApi& Api() { return Setup().api; }

}  // namespace

frmConfig::frmConfig()
    : tk::Form(L"frmConfig", WindowStyle()),
      cmdSet(*this, L"cmdSet", L"Accept and &Save", {3240, 3360, 2055, 375}),
      cmdCancel(*this, L"cmdCancel", L"&Cancel", {120, 3360, 1335, 375}),
      cmdAbout(*this, L"cmdAbout", L"&About", {1680, 3360, 1335, 375}),
      Label8(*this, L"Label8", L"Set folder for images to be used:", {120, 120, 5175, 255}),
      dirPath(*this, L"dirPath", {120, 480, 5175, 2115}),
      Label1(*this, L"Label1", L"Number of valid images found:", {240, 2640, 3375, 255}),
      lblImages(*this, L"lblImages", L"0", {3720, 2640, 1455, 255}),
      chkStartup(*this, L"chkStartup", L"Set &Random Wallpaper at Startup",
                 {240, 3000, 2895, 255}),
      picSave(*this, L"picSave", {3720, 3000, 15, 15}, false),
      File1(*this, L"File1", kImagePatterns, {3240, 2760, 615, 480}) {
    tk::Control* const tabOrder[] = {&cmdSet, &cmdCancel, &cmdAbout, &Label8, &dirPath,
                                     &Label1, &lblImages, &chkStartup, &picSave, &File1};
    int index = 0;
    for (tk::Control* control : tabOrder) control->SetTabIndex(index++);
    cmdCancel.SetCancel(true);
    lblImages.SetAlignment(tk::Align::Right);
    chkStartup.SetToolTip(L"Murivale will change your wallpaper when you log in.");
    File1.SetVisible(false);
    // The blank default background is silver, whatever colour the system gives its faces.
    picSave.SetBackColor(tk::kSilver);
    cmdSet.Click = [this] { cmdSet_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdAbout.Click = [this] { cmdAbout_Click(); };
    dirPath.Change = [this] { dirPath_Change(); };
}

// --- Opening ------------------------------------------------------------------------------------

void frmConfig::Form_Load() {
    SetupState& state = State();
    services::GetLoginName(Api(), Hwnd(), state.ProfileDir, state.UserName);
    state.OSType = services::GetOSType(Api());
    ShowFolder(L"C:\\");
    std::wstring buffer(1024, L'\0');
    Api().GetWindowsDirectoryA(buffer, 1024);
    state.WindowsDir = base::BeforeFirstNul(buffer);
    const std::wstring folder = services::RegReadValue(Api(), kRegFolderPath);
    // A configured folder that cannot be reached now (a drive unplugged, a share offline, a
    // folder deleted) is shown as C:\, and the configuration stays as it is: only a save
    // replaces it.
    if (!folder.empty() && !ShowFolder(folder)) ShowFolder(L"C:\\");
    const std::optional<std::int16_t> runOnStartup =
        ParseInt16(services::RegReadValue(Api(), kRegRunOnStartup));
    if (!runOnStartup) {
        // No configuration yet, or an unreadable option: it is recorded as "off".
        services::RegWriteValue(Api(), kRegRunOnStartup, L"0");
        return;
    }
    chkStartup.SetChecked(*runOnStartup == 1);
}

// Moves the folder list to `folder` while the window opens; false, and nothing shown of it,
// when the folder cannot be listed.
bool frmConfig::ShowFolder(const std::wstring& folder) {
    loading_ = true;
    bool shown = true;
    try {
        dirPath.SetPath(folder);
    } catch (const std::exception&) {
        shown = false;
    }
    loading_ = false;
    return shown;
}

// --- The folder ---------------------------------------------------------------------------------

std::wstring frmConfig::FolderOfDirPath() const {
    const std::wstring folder = dirPath.Path() + L"\\";
    return folder == L"C:\\\\" ? L"C:\\" : folder;
}

// Takes the folder shown in the tree as FolderPath, lists it in the hidden file list and returns
// the number of images in it. A folder that vanished after the user moved to it holds none;
// while the window opens, the failure goes to the opening's own recovery instead.
int frmConfig::ScanChosenFolder() {
    SetupState& state = State();
    state.FolderPath = FolderOfDirPath();
    try {
        File1.SetPath(state.FolderPath);
    } catch (const tk::FileError&) {
        if (loading_) throw;
        return 0;
    }
    return File1.ListCount();
}

void frmConfig::dirPath_Change() {
    const int count = ScanChosenFolder();
    lblImages.SetCaption(base::DecimalText(count));
    lblImages.SetForeColor(count >= 2 ? tk::kButtonText : tk::kRed);
}

// --- Buttons ------------------------------------------------------------------------------------

void frmConfig::cmdCancel_Click() { Unload(); }

void frmConfig::cmdAbout_Click() {
    tk::MsgBox(kAboutText, tk::kMbOk | tk::kMbIconInformation, L"About");
}

void frmConfig::cmdSet_Click() {
    SetupState& state = State();
    const int count = ScanChosenFolder();
    if (count == 1) {
        tk::MsgBox(L"Only one valid image file found in folder", tk::kMbOk, kErrorTitle);
        return;
    }
    if (count == 0) {
        tk::MsgBox(L"No valid image files found in folder", tk::kMbOk, kErrorTitle);
        return;
    }
    if (count > kMaxImageFiles) {
        tk::MsgBox(L"More than 32767 valid image files found in folder", tk::kMbOk, kErrorTitle);
        return;
    }
    state.BaseFile = WallpaperInPlace();
    // Every NT release keeps its own copy of the wallpaper: the file the registry names may be
    // one the system rewrites at each wallpaper change (Windows 8 and later), or none at all.
    // The 9x family records the path as given.
    if (!services::IsWindows9xFamily(Api()) && !PreserveBaseBitmap()) return;
    SaveSettings();
    Unload();
}

// The wallpaper now on the desktop; when that is Murivale's own converted bitmap, the image it
// was made from.
std::wstring frmConfig::WallpaperInPlace() {
    const std::wstring wallpaper = services::ReadDesktopWallpaper(Api(), State().UserName);
    const std::wstring ownBitmap = tk::App::Path() + L"\\" + services::WallpaperBitmapName(State().UserName);
    return wallpaper == ownBitmap ? services::RegReadValue(Api(), kRegCurrentFile) : wallpaper;
}

// Keeps the wallpaper in place as the base bitmap in the program folder (a blank bitmap when
// there is no wallpaper file). When the wallpaper cannot be read or the bitmap cannot be written,
// says so and returns false: nothing has been written to the registry then.
bool frmConfig::PreserveBaseBitmap() {
    SetupState& state = State();
    const std::wstring source =
        ExpandPlaceholders(state.BaseFile, state, ProgramFilesFolder(Api(), state.WindowsDir));
    try {
        if (Api().FileExists(source)) {
            picSave.LoadPicture(source);
        } else {
            picSave.ClearPicture();
        }
    } catch (const std::exception& error) {
        tk::MsgBox(L"The current wallpaper\r\n" + source + L"\r\ncannot be read as a picture:\r\n" +
                       base::FromUtf8(error.what()) + L"\r\n\r\nNothing was saved.",
                   tk::kMbIconStop, kErrorTitle);
        return false;
    }
    const std::wstring target = BaseBitmapPath(tk::App::Path(), state.UserName);
    try {
        if (picSave.Picture()) {
            picSave.SavePicture(target);
        } else {
            picSave.ClearPicture();
            picSave.SaveImage(target);
        }
    } catch (const std::exception& error) {
        tk::MsgBox(L"The default background cannot be saved:\r\n" +
                       base::FromUtf8(error.what()) + L"\r\n\r\nNothing was saved.",
                   tk::kMbIconStop, kErrorTitle);
        return false;
    }
    state.BaseFile = target;
    return true;
}

void frmConfig::SaveSettings() {
    const SetupState& state = State();
    services::WinApi& api = Api();
    services::RegWriteValue(api, kRegFolderPath, state.FolderPath);
    services::RegWriteValue(api, kRegBaseFile, state.BaseFile);
    if (services::RegReadValue(api, kRegCurrentFile).empty()) {
        services::RegWriteValue(api, kRegCurrentFile, state.BaseFile);
    }
    if (chkStartup.Checked()) {
        services::RegWriteValue(api, kRegRunOnStartup, L"1");
        services::RegWriteValue(api, kRegLogonEntry, LogonCommand(tk::App::Path()));
    } else if (services::RegReadValue(api, kRegRunOnStartup) == L"1") {
        services::RegWriteValue(api, kRegRunOnStartup, L"0");
        services::RegDeleteValue(api, kRegLogonEntry);
    }
}

}  // namespace setup
