// The running program as Windows knows it: its module, command line and other instances, and
// keys typed into the active window.
#include <windows.h>

#include "toolkit/win32/AppIdentity.h"
#include "toolkit/win32/SendKeys.h"
#include "toolkit/win32/Win32Parts.h"
#include "toolkit/win32/Win32Platform.h"

namespace tk::win32 {

using base::win32::UniqueKernelHandle;
namespace {

// How long SendKeys with waiting waits for the keys to be taken.
constexpr DWORD kKeyWaitMs = 2000;

}  // namespace

std::wstring Win32Process::AppPath() const { return FolderOfPath(ModulePath()); }

std::wstring Win32Process::AppTitle() const { return TitleOfPath(ModulePath()); }

std::wstring Win32Process::CommandLineTail() const { return CommandTail(::GetCommandLineW()); }

bool Win32Process::PreviousInstance() { return AnotherInstanceRuns(AppTitle()); }

bool Win32Process::ActivateWindow(const std::wstring& title) { return ActivateOtherWindow(title); }

void Win32Process::SendKeys(const std::wstring& keys, bool wait) {
    SendKeySequence(keys);
    if (wait) WaitForKeys();
}

void Win32Process::WaitForKeys() {
    const HWND target = ::GetForegroundWindow();
    DWORD process = 0;
    const DWORD thread = target ? ::GetWindowThreadProcessId(target, &process) : 0;
    const DWORD deadline = ::GetTickCount() + kKeyWaitMs;
    if (!target || thread == ::GetCurrentThreadId()) {
        // Our own window: handle the input now, as a person's keys would be handled.
        do {
            windows_.DoEvents();
        } while (HIWORD(::GetQueueStatus(QS_INPUT)) != 0 &&
                 static_cast<LONG>(::GetTickCount() - deadline) < 0);
        return;
    }
    // Another program's window: wait until it has taken its input and is idle again.
    UniqueKernelHandle other(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process));
    if (other) ::WaitForInputIdle(other.Get(), kKeyWaitMs);
}

Win32Platform::Win32Platform() {
    // A card reader or CD drive without a medium must not make the system ask the user (and a
    // logon run wait on that question): the folder is then simply unreadable.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    parts_ = std::make_unique<Win32Parts>();
}

Win32Platform::~Win32Platform() = default;

const Platform& Win32Platform::Get() const { return parts_->platform; }

}  // namespace tk::win32
