// Program-wide services: the screen, the mouse pointer, message boxes, event dispatch, the
// program's identity, running-instance detection, and the event loop.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "toolkit/Types.h"

namespace tk {

class Form;

// Runs the program on the platform installed (Platform.h): loads `startForm` (its Form_Load
// decides what is shown) and dispatches events until no form is loaded. Returns the exit code.
int Run(Form& startForm);

// Errors that escape an event handler (a click, a timer, a paint, a list's selection, a form's
// load) never reach the system's window procedure: the backend runs every handler through
// RunGuarded, which hands what escaped to the program's error handler. The default one shows a
// single message box with the program's title; the window goes on working. An error that comes
// while a report is being shown is dropped, so a failing paint cannot pile up message boxes.
using EventErrorHandler = std::function<void(const std::wstring& what)>;
// Installs `handler`; an empty one puts the default back.
void SetEventErrorHandler(EventErrorHandler handler);
// The default report: one message box, "The action could not be completed:" and `what`.
void ShowEventError(const std::wstring& what);
// Reports an escaped error as above (`what` is nullptr for an error of no known kind). Never
// throws.
void ReportEventError(const char* what) noexcept;
// Runs `handler`; true when it returned, false when an error escaped it (and was reported).
template <typename Handler>
bool RunGuarded(Handler&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        ReportEventError(error.what());
    } catch (...) {
        ReportEventError(nullptr);
    }
    return false;
}

// Modal message box. `style` combines buttons and icon as the system numbers them.
int MsgBox(const std::wstring& text, int style, const std::wstring& title);

// Lets pending window events run once.
void DoEvents();

namespace Screen {
Twips Width();               // in twips
Twips Height();
int TwipsPerPixelX();        // 1440 / dpi, 15 at 96 dpi
int TwipsPerPixelY();
int MousePointer();
void SetMousePointer(int pointer);
}  // namespace Screen

// The 0x00BBGGRR value a colour is drawn in: a system colour as the system gives it now.
Color ColorValue(Color color);

// Twips to pixels at the screen's resolution, rounded to the nearest pixel.
int TwipsToPixels(Twips twips);
Twips PixelsToTwips(int pixels);

namespace App {
std::wstring Path();         // the program's folder: no trailing backslash except at a root
std::wstring Title();
std::wstring Command();      // the command line after the program's name
bool PrevInstance();         // another process of this program is running
}  // namespace App

// Brings the window with this title to the front. False when there is none.
bool AppActivate(const std::wstring& title);
// Sends keys to the active window ("+" a press of Shift alone, any other character typed as
// itself); with `wait`, returns once they are processed.
void SendKeys(const std::wstring& keys, bool wait);

}  // namespace tk
