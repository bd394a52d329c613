// A stand-in for an HTML-rendered desktop, for the end-to-end cases: Wine has no such desktop.
//
//   FakeDesktop.exe LOGFILE        a full-screen "Progman" window at the bottom of the stacking
//                                  order, with a "SHELLDLL_DefView" child that holds an
//                                  "Internet Explorer_Server" and a "SysListView32"; every key
//                                  press the list view receives is appended to LOGFILE as
//                                  "WM_KEYDOWN wParam=0x.. lParam=0x..", followed by the visible
//                                  top-level windows at that moment ("window ..." lines, as for
//                                  --probe). The first line, "ready", is written once the
//                                  windows exist. Lines are flushed as they are written.
//   FakeDesktop.exe --cover        an ordinary 640x480 magenta window in the middle of the
//                                  screen that takes the foreground: what a topmost window has
//                                  to stay in front of.
//   FakeDesktop.exe --probe        prints which "Progman" window FindWindow finds (0 for none)
//                                  and its view and list children, then one line per visible
//                                  top-level window, front to back:
//                                  "window topmost=0|1 foreground=0|1 rect=L,T,R,B title=...",
//                                  each followed by its visible controls:
//                                  "  child class=... text=..." (line breaks as \n). Then ends.
//
// The desktop windows are painted in one flat colour (RGB 58,110,165) so that a black window
// covering them shows on a screenshot. Closing the top-level window ends the program.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr COLORREF kDesktopColour = RGB(58, 110, 165);
constexpr COLORREF kCoverColour = RGB(255, 0, 255);

std::FILE* g_log = nullptr;

void LogLine(const char* text) {
    if (!g_log) return;
    std::fputs(text, g_log);
    std::fputc('\n', g_log);
    std::fflush(g_log);
}

// A window's text, asked for with a time limit (the window may belong to a busy program), with
// line breaks written as "\n" so that one window or control takes one line.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, 2000, &copied)) {
        return L"";
    }
    std::wstring out;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'\r') continue;
        if (*c == L'\n') {
            out += L"\\n";
        } else {
            out += *c;
        }
    }
    return out;
}

BOOL CALLBACK DescribeChild(HWND child, LPARAM data) {
    if (!::IsWindowVisible(child)) return TRUE;
    wchar_t className[128] = L"";
    ::GetClassNameW(child, className, 128);
    std::fprintf(reinterpret_cast<std::FILE*>(data), "  child class=%ls text=%ls\n", className,
                 TextOf(child).c_str());
    return TRUE;
}

// One line per visible top-level window, front to back in the window manager's order (which
// is what the user sees, whatever the X server's own stacking says):
//   window topmost=0|1 foreground=0|1 rect=LEFT,TOP,RIGHT,BOTTOM title=TITLE
// and, with children, one line per visible control below it: "  child class=... text=...".
void DescribeWindows(std::FILE* out, bool children) {
    const HWND foreground = ::GetForegroundWindow();
    for (HWND window = ::GetTopWindow(nullptr); window;
         window = ::GetWindow(window, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(window)) continue;
        RECT r{};
        ::GetWindowRect(window, &r);
        const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
        std::fprintf(out, "window topmost=%d foreground=%d rect=%ld,%ld,%ld,%ld title=%ls\n",
                     (exStyle & WS_EX_TOPMOST) ? 1 : 0, window == foreground ? 1 : 0, r.left,
                     r.top, r.right, r.bottom, TextOf(window).c_str());
        if (children) ::EnumChildWindows(window, DescribeChild, reinterpret_cast<LPARAM>(out));
    }
    std::fflush(out);
}

LRESULT CALLBACK ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        char line[96];
        std::snprintf(line, sizeof line, "WM_KEYDOWN wParam=0x%llx lParam=0x%llx",
                      static_cast<unsigned long long>(wParam),
                      static_cast<unsigned long long>(static_cast<ULONG_PTR>(lParam)));
        LogLine(line);
        DescribeWindows(g_log, false);  // what covers the screen while the desktop refreshes
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK TopLevelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_WINDOWPOSCHANGING:
        // A desktop stays below every other window.
        if (::GetWindowLongPtrW(window, GWLP_USERDATA) == 1) {
            reinterpret_cast<WINDOWPOS*>(lParam)->hwndInsertAfter = HWND_BOTTOM;
        }
        break;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool Register(const wchar_t* name, WNDPROC proc, COLORREF colour) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ::CreateSolidBrush(colour);
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) != 0;
}

HWND Child(const wchar_t* className, HWND parent, int width, int height) {
    return ::CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                             width, height, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

int Probe() {
    const HWND progman = ::FindWindowW(L"Progman", nullptr);
    const HWND view = ::FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
    const HWND html = ::FindWindowExW(view, nullptr, L"Internet Explorer_Server", nullptr);
    const HWND list = ::FindWindowExW(view, nullptr, L"SysListView32", nullptr);
    DWORD process = 0;
    if (progman) ::GetWindowThreadProcessId(progman, &process);
    std::printf("Progman=%p process=%lu view=%p html=%p list=%p\n", static_cast<void*>(progman),
                static_cast<unsigned long>(process), static_cast<void*>(view),
                static_cast<void*>(html), static_cast<void*>(list));
    DescribeWindows(stdout, true);
    return 0;
}

int MessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int Cover() {
    if (!Register(L"FakeDesktopCover", TopLevelProc, kCoverColour)) return 2;
    const int width = 640;
    const int height = 480;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    const HWND window = ::CreateWindowExW(0, L"FakeDesktopCover", L"Cover", WS_POPUP | WS_VISIBLE,
                                          left, top, width, height, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    if (!window) return 2;
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(window);
    return MessageLoop();
}

int Desktop(const wchar_t* logPath) {
    g_log = ::_wfopen(logPath, L"a");
    if (!g_log) return 2;
    if (!Register(L"Progman", TopLevelProc, kDesktopColour) ||
        !Register(L"SHELLDLL_DefView", ::DefWindowProcW, kDesktopColour) ||
        !Register(L"Internet Explorer_Server", ::DefWindowProcW, kDesktopColour) ||
        !Register(L"SysListView32", ListViewProc, kDesktopColour)) {
        LogLine("error: could not register the window classes");
        return 2;
    }
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const HWND progman =
        ::CreateWindowExW(WS_EX_TOOLWINDOW, L"Progman", L"Program Manager",
                          WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height, nullptr, nullptr,
                          ::GetModuleHandleW(nullptr), nullptr);
    if (!progman) {
        LogLine("error: could not create the Progman window");
        return 2;
    }
    ::SetWindowLongPtrW(progman, GWLP_USERDATA, 1);
    const HWND view = Child(L"SHELLDLL_DefView", progman, width, height);
    const HWND html = view ? Child(L"Internet Explorer_Server", view, width, height) : nullptr;
    const HWND list = view ? Child(L"SysListView32", view, width, height) : nullptr;
    if (!html || !list) {
        LogLine("error: could not create the child windows");
        return 2;
    }
    ::SetWindowPos(progman, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    LogLine("ready");
    const int result = MessageLoop();
    std::fclose(g_log);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--probe") return Probe();
    if (argc == 2 && std::wstring(argv[1]) == L"--cover") return Cover();
    if (argc == 2) return Desktop(argv[1]);
    std::fputs("usage: FakeDesktop.exe LOGFILE | --cover | --probe\n", stderr);
    return 2;
}
