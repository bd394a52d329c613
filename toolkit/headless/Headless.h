// Control of the headless backend, for tests: the screen, a virtual clock that drives timers,
// recorded message boxes, the program's identity, and what the program asked of other windows.
// Windows are state in memory; nothing is drawn on a display.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Types.h"

namespace tk {
class Form;
class Timer;
struct Platform;
}

namespace tk::headless {

// The headless platform. The native tests install it for the whole run; its state is program-wide
// and controlled by the functions below.
const Platform& GetPlatform();

struct MessageBoxCall {
    std::wstring text;
    int style = 0;
    std::wstring title;
};

// Back to a fresh program: 1024 x 768 at 96 dpi, a silver button face, clock at 0, nothing recorded, default answers.
// Forms still loaded keep their state; tests normally reset between cases.
void Reset();

void SetScreen(int widthPx, int heightPx, int dpi);
// The colour the system gives its button face (silver unless set).
void SetButtonFace(Color color);

// Moves the virtual clock forward, firing each due timer in time order (a timer whose interval
// fits several times fires several times).
void AdvanceClock(int ms);
long long Now();
bool IsTimerRunning(const Timer& timer);

// Message boxes shown so far, oldest first; answers are taken from the queue, OK when empty.
const std::vector<MessageBoxCall>& MessageBoxes();
void QueueAnswer(int button);
// Runs while a message box is up (as a person reading it), before it returns.
void SetMessageBoxHook(std::function<void(const MessageBoxCall&)> hook);

int MousePointer();

// What DoEvents does: counts, and runs the hook (a test's stand-in for events that arrive).
int DoEventsCount();
void SetDoEventsHook(std::function<void()> hook);

void SetAppInfo(std::wstring path, std::wstring title, std::wstring commandLineTail);
void SetPreviousInstance(bool running);
// Titles the program tried to bring to the front, and key sequences it sent.
const std::vector<std::wstring>& ActivatedTitles();
const std::vector<std::wstring>& SentKeys();
// Whether ActivateWindow finds a window (default: yes).
void SetActivationSucceeds(bool succeeds);

// True once the last form unloaded (the event loop was asked to end).
bool QuitRequested();

// Window state as the headless backend holds it.
bool IsShown(const Form& form);
PointPx PositionOf(const Form& form);

}  // namespace tk::headless
