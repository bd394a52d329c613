#include "toolkit/App.h"

#include "base/Text.h"

#include "toolkit/Form.h"
#include "toolkit/Platform.h"

namespace tk {
namespace {

int g_mousePointer = kPointerDefault;
EventErrorHandler g_eventErrorHandler;
bool g_reportingEventError = false;

WindowSystem& Windows() { return CurrentPlatform().windows; }
ProcessServices& Process() { return CurrentPlatform().process; }

}  // namespace

void SetEventErrorHandler(EventErrorHandler handler) { g_eventErrorHandler = std::move(handler); }

void ShowEventError(const std::wstring& what) {
    MsgBox(L"The action could not be completed:\r\n\r\n" + what, kMbIconStop, App::Title());
}

void ReportEventError(const char* what) noexcept {
    if (g_reportingEventError) return;
    g_reportingEventError = true;
    try {
        const std::wstring text = what ? base::FromUtf8(what) : std::wstring(L"Unknown error.");
        if (g_eventErrorHandler) {
            g_eventErrorHandler(text);
        } else {
            ShowEventError(text);
        }
    } catch (...) {
        // Nothing more can be told: the program goes on as the handler left it.
    }
    g_reportingEventError = false;
}

int Run(Form& startForm) {
    // The start form's load handler decides what happens: it may unload the form at once, or
    // show it itself. A form still loaded and hidden afterwards is shown, as a start form is.
    if (!RunGuarded([&startForm] { startForm.Load(); }) && !startForm.IsLoaded()) {
        return 1;
    }
    if (startForm.IsLoaded() && !startForm.IsVisible()) startForm.Show();
    if (LoadedFormCount() > 0) Windows().RunLoop();
    return 0;
}

int MsgBox(const std::wstring& text, int style, const std::wstring& title) {
    return Windows().ShowMessageBox(text, style, title, 0);
}

void DoEvents() { Windows().DoEvents(); }

namespace Screen {

Twips Width() { return Windows().ScreenSize().width * TwipsPerPixelX(); }
Twips Height() { return Windows().ScreenSize().height * TwipsPerPixelY(); }
int TwipsPerPixelX() { return kTwipsPerInch / Windows().Dpi(); }
int TwipsPerPixelY() { return kTwipsPerInch / Windows().Dpi(); }
int MousePointer() { return g_mousePointer; }

void SetMousePointer(int pointer) {
    g_mousePointer = pointer;
    Windows().SetMousePointer(pointer);
}

}  // namespace Screen

Color ColorValue(Color color) {
    return IsSystemColor(color) ? Windows().SystemColorValue(SystemColorIndex(color)) : color;
}

int TwipsToPixels(Twips twips) {
    const long long scaled = static_cast<long long>(twips) * Windows().Dpi();
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

Twips PixelsToTwips(int pixels) { return pixels * Screen::TwipsPerPixelX(); }

namespace App {

std::wstring Path() { return Process().AppPath(); }
std::wstring Title() { return Process().AppTitle(); }
std::wstring Command() { return Process().CommandLineTail(); }
bool PrevInstance() { return Process().PreviousInstance(); }

}  // namespace App

bool AppActivate(const std::wstring& title) { return Process().ActivateWindow(title); }

void SendKeys(const std::wstring& keys, bool wait) { Process().SendKeys(keys, wait); }

}  // namespace tk
