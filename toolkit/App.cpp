#include "toolkit/App.h"

#include "toolkit/Backend.h"
#include "toolkit/Form.h"

namespace tk {
namespace {

int g_mousePointer = kPointerDefault;

}  // namespace

int Run(Form& startForm) {
    // The start form's load handler decides what happens: it may unload the form at once, or
    // show it itself. A form still loaded and hidden afterwards is shown, as a start form is.
    startForm.Load();
    if (startForm.IsLoaded() && !startForm.IsVisible()) startForm.Show();
    if (LoadedFormCount() > 0) CurrentBackend().RunLoop();
    return 0;
}

int MsgBox(const std::wstring& text, int style, const std::wstring& title) {
    return CurrentBackend().ShowMessageBox(text, style, title, 0);
}

void DoEvents() { CurrentBackend().DoEvents(); }

namespace Screen {

Twips Width() { return CurrentBackend().ScreenSize().width * TwipsPerPixelX(); }
Twips Height() { return CurrentBackend().ScreenSize().height * TwipsPerPixelY(); }
int TwipsPerPixelX() { return kTwipsPerInch / CurrentBackend().Dpi(); }
int TwipsPerPixelY() { return kTwipsPerInch / CurrentBackend().Dpi(); }
int MousePointer() { return g_mousePointer; }

void SetMousePointer(int pointer) {
    g_mousePointer = pointer;
    CurrentBackend().SetMousePointer(pointer);
}

}  // namespace Screen

Color ColorValue(Color color) {
    return IsSystemColor(color) ? CurrentBackend().SystemColorValue(SystemColorIndex(color)) : color;
}

int TwipsToPixels(Twips twips) {
    const long long scaled = static_cast<long long>(twips) * CurrentBackend().Dpi();
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

Twips PixelsToTwips(int pixels) { return pixels * Screen::TwipsPerPixelX(); }

namespace App {

std::wstring Path() { return CurrentBackend().AppPath(); }
std::wstring Title() { return CurrentBackend().AppTitle(); }
std::wstring Command() { return CurrentBackend().CommandLineTail(); }
bool PrevInstance() { return CurrentBackend().PreviousInstance(); }

}  // namespace App

bool AppActivate(const std::wstring& title) { return CurrentBackend().ActivateWindow(title); }

void SendKeys(const std::wstring& keys, bool wait) { CurrentBackend().SendKeys(keys, wait); }

}  // namespace tk
