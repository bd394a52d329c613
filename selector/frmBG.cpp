#include "selector/frmBG.h"

#include <chrono>
#include <exception>
#include <vector>

#include "base/Text.h"
#include "selector/Catalogue.h"
#include "selector/Desktop.h"
#include "selector/Wallpaper.h"
#include "selector/frmBack.h"
#include "selector/frmLoad.h"
#include "selector/frmSel.h"
#include "selector/modMain.h"
#include "services/DesktopWallpaper.h"
#include "services/LoginName.h"
#include "services/OsType.h"
#include "services/Registry.h"
#include "toolkit/App.h"

namespace selector {
namespace {

tk::FormStyle WindowStyle() {
    tk::FormStyle style;
    style.caption = kAppTitle;
    style.border = tk::BorderStyle::FixedSingle;
    style.clientWidth = 2415;
    style.clientHeight = 2055;
    style.startPosition = tk::StartPosition::CenterScreen;
    return style;
}

constexpr wchar_t kUnsupportedSystem[] =
    L"Invalid Operating System\r\nMurivale not operable on this operating system.";
constexpr wchar_t kMissingConfiguration[] =
    L"Configuration not found!\r\n\r\nRun Tessaban.exe first!";
constexpr wchar_t kErrorTitle[] = L"Error";

SessionState& State() { return Murivale().state; }
services::WinApi& Api() { return Murivale().api; }

}  // namespace

frmBG::frmBG()
    : tk::Form(L"frmBG", WindowStyle()),
      cmdRand(*this, L"cmdRand", L"Use Random Background", {120, 120, 2175, 375}),
      cmdBase(*this, L"cmdBase", L"Use Default Background", {120, 600, 2175, 375}),
      cmdSelect(*this, L"cmdSelect", L"Select Custom Background", {120, 1080, 2175, 375}),
      cmdCurrent(*this, L"cmdCurrent", L"Keep Current Background", {120, 1560, 2175, 375}),
      Command1(*this, L"Command1", L"", {15, 15, 2400, 2040}),
      Shape1(*this, L"Shape1", {0, 0, 2415, 2055}),
      Timer1(*this, L"Timer1", 750) {
    cmdRand.SetTabIndex(0);
    cmdRand.SetDefault(true);
    cmdBase.SetTabIndex(1);
    cmdSelect.SetTabIndex(2);
    cmdCurrent.SetTabIndex(3);
    cmdCurrent.SetCancel(true);
    Command1.SetTabIndex(4);
    Command1.SetEnabled(false);
    Command1.SetTabStop(false);
    cmdRand.Click = [this] { cmdRand_Click(); };
    cmdBase.Click = [this] { cmdBase_Click(); };
    cmdSelect.Click = [this] { cmdSelect_Click(); };
    cmdCurrent.Click = [this] { cmdCurrent_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Murivale().choice = this;
}

frmBG::~frmBG() {
    if (Murivale().choice == this) Murivale().choice = nullptr;
}

// --- Start-up -----------------------------------------------------------------------------------

void frmBG::Form_Load() {
    SessionState& state = State();
    state.OSType = services::GetOSType(Api());
    state.ActiveDesktop = IsActiveDesktop(Api());
    services::GetLoginName(Api(), state.UserName);
    if (!CheckOperatingSystem()) return;
    ReadWindowsDir();
    state.FolderPath = services::RegReadValue(Api(), kRegFolderPath);
    state.BaseFile = services::RegReadValue(Api(), kRegBaseFile);
    FindCurrentWallpaper();
    if (!HandOverToRunningInstance()) return;
    if (!CheckConfiguration()) return;
    ReadCommandLine();
    if (!state.IsLogonRun()) Murivale().loading->Show();
    state.ChoiceMode = kChoiceRandom;
    if (!Catalogue()) return;
    if (state.IsLogonRun()) {
        tk::DoEvents();
        ApplyRandom();
        Unload();
        return;
    }
    PrepareBrowser(Murivale());
    Present();
}

bool frmBG::CheckOperatingSystem() {
    const std::wstring& os = State().OSType;
    if (os == services::kOsWin2k || os == services::kOsWin9x) return true;
    tk::MsgBox(kUnsupportedSystem, tk::kMbIconStop, kErrorTitle);
    Unload();
    return false;
}

void frmBG::ReadWindowsDir() {
    std::wstring buffer(1024, L'\0');
    Api().GetWindowsDirectoryA(buffer, 1024);
    State().WindowsDir = base::BeforeFirstNul(buffer);
}

void frmBG::FindCurrentWallpaper() {
    SessionState& state = State();
    // The wallpaper on screen is Murivale's own bitmap when its name ends in the user's bitmap
    // name; the image it was made from is then the one Murivale recorded.
    const std::wstring wallpaper = services::ReadDesktopWallpaper(Api(), state.UserName);
    const std::wstring ownBitmap = services::WallpaperBitmapName(state.UserName);
    state.CurrentFile = base::EndsWith(wallpaper, ownBitmap)
                            ? services::RegReadValue(Api(), kRegCurrentFile)
                            : wallpaper;
    const std::wstring systemDrive = state.WindowsDir.substr(0, 2);
    state.CurrentFile = base::ReplaceAll(state.CurrentFile, L"%SystemRoot%", state.WindowsDir);
    state.CurrentFile = base::ReplaceAll(state.CurrentFile, L"%SystemDrive%", systemDrive);
    if (base::StartsWith(state.CurrentFile, state.FolderPath)) {
        state.CurrentFile.erase(0, state.FolderPath.size());
    }
}

bool frmBG::HandOverToRunningInstance() {
    if (!tk::App::PrevInstance()) return true;
    // Bring the running instance forward with a Shift press, which changes nothing there.
    Unload();
    tk::AppActivate(kAppTitle);
    tk::SendKeys(L"+", true);
    return false;
}

bool frmBG::CheckConfiguration() {
    if (!services::RegReadValue(Api(), kRegBaseFile).empty() &&
        !services::RegReadValue(Api(), kRegFolderPath).empty()) {
        return true;
    }
    tk::MsgBox(kMissingConfiguration, tk::kMbOk, kErrorTitle);
    Unload();
    return false;
}

void frmBG::ReadCommandLine() {
    const KeyedCollection tokens = getTokens(tk::App::Command());
    // A command line with switches but no p is a start by hand, as one without switches is.
    if (tokens.Count() > 0) State().StartupParam = tokens.Item(L"p").value_or(L"");
}

bool frmBG::Catalogue() {
    const std::optional<std::wstring> problem = BuildCatalogue(Murivale());
    if (!problem) return true;
    // A logon must never wait on a dialog: a logon run ends quietly and leaves the wallpaper.
    if (!State().IsLogonRun()) tk::MsgBox(*problem, tk::kMbIconStop, kErrorTitle);
    Unload();
    return false;
}

void frmBG::Present() {
    SetFormRegion(Api(), *this);
    Show();
    CentreTopmost(Api(), *this);
}

// --- Command line -------------------------------------------------------------------------------

KeyedCollection frmBG::getTokens(const std::wstring& CommandLine) {
    KeyedCollection tokens;
    std::wstring rest = CommandLine;
    std::wstring value;
    std::wstring name;
    std::size_t pos = rest.find(L' ');
    while (pos != std::wstring::npos) {
        const std::wstring word = base::TrimSpaces(rest.substr(0, pos));
        if (!word.empty() && word[0] == L'/') {
            AddToken(tokens, value, name);  // completes the switch seen before
            value.clear();
            name = word.substr(1);
        } else {
            value = word;  // a later word replaces an earlier one
        }
        rest = base::TrimSpaces(rest.substr(pos + 1));
        pos = rest.find(L' ');
    }
    // The last word is the pending switch's value, whatever it begins with.
    value = base::TrimSpaces(rest);
    AddToken(tokens, value, name);
    return tokens;
}

void frmBG::AddToken(KeyedCollection& tokens, const std::wstring& value, const std::wstring& name) {
    if (name.empty()) return;
    tokens.Add(base::LowerCase(name), value);  // a key already present keeps its first value
}

// --- Choices ------------------------------------------------------------------------------------

void frmBG::DisableButtons() {
    cmdBase.SetEnabled(false);
    cmdCurrent.SetEnabled(false);
    cmdRand.SetEnabled(false);
    cmdSelect.SetEnabled(false);
}

void frmBG::EnableButtons() {
    cmdBase.SetEnabled(true);
    cmdCurrent.SetEnabled(true);
    cmdRand.SetEnabled(true);
    cmdSelect.SetEnabled(true);
    tk::Screen::SetMousePointer(tk::kPointerDefault);
    const SessionState& state = State();
    if (state.ChoiceMode == kChoiceCustom) {
        cmdSelect.SetFocus();
    } else if (state.ChoiceMode == kChoiceRandom && !state.IsLogonRun()) {
        cmdRand.SetFocus();
    }
}

void frmBG::cmdRand_Click() {
    State().ChoiceMode = kChoiceRandom;
    DisableButtons();
    tk::Screen::SetMousePointer(tk::kPointerHourglass);
    tk::DoEvents();
    if (State().Exiting != base::kFalse) return;  // the window was closed meanwhile
    ApplyRandom();
}

void frmBG::cmdBase_Click() {
    State().ChoiceMode = kChoiceDefault;
    ApplyDefault();
}

void frmBG::cmdSelect_Click() {
    State().ChoiceMode = kChoiceCustom;
    Hide();
    frmSel& browser = *Murivale().browser;
    browser.File1.SetListIndex(State().CurrentIndex + 1);
    browser.Show();
}

void frmBG::cmdCurrent_Click() { Unload(); }

void frmBG::Timer1_Timer() {
    EnableButtons();
    Timer1.SetRunning(false);
}

void frmBG::ApplyRandom() {
    SessionState& state = State();
    if (state.FileCount == 1) return;
    std::int16_t k = 0;
    do {
        k = DrawIndex();
    } while (previous && k == *previous);
    previous = k;
    if (state.ActiveDesktop != base::kFalse) Murivale().backdrop->Show();
    if (state.IsLogonRun()) {
        ApplyAtLogon(k);
        return;
    }
    if (!ApplyOrReport(Murivale(), state.ImageFiles[static_cast<std::size_t>(k)])) return;
    state.CurrentIndex = k;
}

std::int16_t frmBG::DrawIndex() const {
    const double r = Murivale().random();
    return static_cast<std::int16_t>(
        static_cast<long long>(base::RoundHalfEven(r * 1000000.0)) % State().FileCount);
}

void frmBG::ApplyAtLogon(std::int16_t first) {
    // A logon must not stop at a picture that cannot be used: the other images are tried once
    // each, in random order, and when none works the wallpaper stays as it was. That order is
    // drawn only when the first picture fails, so an ordinary logon pays nothing for it.
    if (TryApplyAtLogon(first)) return;
    for (const std::int16_t k : FallbackOrder(first)) {
        if (TryApplyAtLogon(k)) return;
    }
}

bool frmBG::TryApplyAtLogon(std::int16_t k) {
    try {
        ApplyWallpaper(Murivale(), State().ImageFiles[static_cast<std::size_t>(k)]);
    } catch (const WallpaperError&) {
        return false;
    }
    State().CurrentIndex = k;
    return true;
}

std::vector<std::int16_t> frmBG::FallbackOrder(std::int16_t first) const {
    std::vector<std::int16_t> others;
    for (std::int16_t i = 0; i < State().FileCount; ++i) {
        if (i != first) others.push_back(i);
    }
    for (std::size_t i = others.size(); i > 1; --i) {
        const auto j = static_cast<std::size_t>(Murivale().random() * double(i)) % i;
        std::swap(others[i - 1], others[j]);
    }
    return others;
}

void frmBG::ApplyDefault() {
    if (!ApplyOrReport(Murivale(), State().BaseFile)) return;
    Unload();
}

void frmBG::Form_Unload() {
    State().Exiting = base::kTrue;
    Murivale().browser.Unload();
    Murivale().backdrop.Unload();
    Murivale().loading.Unload();
}

}  // namespace selector
