// The end-to-end cases' one Windows helper: it reads windows as the programs see them (xdotool
// sees titles only) and stands in for the parts of a desktop that Wine lacks. A console
// program, so that it can print. Built with the windows-x64 preset; the 64-bit build reads the
// windows of the 32-bit programs too (WoW64).
//
//   E2eProbe.exe controls TITLE    the window titled TITLE: "window\tactive|inactive", then one
//                                  line per control of it (direct children), tab-separated:
//                                  class, text, screen rectangle "L,T,W,H", visible|hidden;
//                                  buttons add checked|unchecked; list boxes add "sel=N",
//                                  "rows=L,T,H" (the first row's rectangle on the screen) and
//                                  their entries joined by "|"; the control with the keyboard
//                                  focus ends with "focused". Exit 1 when there is no such
//                                  window.
//   E2eProbe.exe runlogon KEY VALUE
//                                  starts the command stored as VALUE under HKCU\KEY exactly as
//                                  stored, as the system does at logon, waits for it (up to
//                                  2 minutes) and prints "exit CODE".
//   E2eProbe.exe list              for every line on its input: the list of the visible window
//                                  titled "Murivale" that holds a list box, as "COUNT SELECTED
//                                  LOADING" (LOADING 1 while a label says "loading..."), "busy"
//                                  when the list does not answer within half a second, "none"
//                                  when no such window is shown.
//   E2eProbe.exe desktop LOGFILE   a full-screen "Progman" window at the bottom of the stacking
//                                  order, with a "SHELLDLL_DefView" child that holds an
//                                  "Internet Explorer_Server" and a "SysListView32"; every key
//                                  press the list view receives is appended to LOGFILE as
//                                  "WM_KEYDOWN wParam=0x.. lParam=0x..", followed by the visible
//                                  top-level windows at that moment ("window ..." lines, as for
//                                  windows). The first line, "ready", is written once the
//                                  windows exist. Lines are flushed as they are written.
//   E2eProbe.exe cover             an ordinary 640x480 magenta window in the middle of the
//                                  screen that takes the foreground: what a topmost window has
//                                  to stay in front of.
//   E2eProbe.exe windows           prints which "Progman" window FindWindow finds (0 for none)
//                                  and its view and list children, then one line per visible
//                                  top-level window, front to back:
//                                  "window topmost=0|1 foreground=0|1 rect=L,T,R,B title=...",
//                                  each followed by its visible controls:
//                                  "  child class=... text=..." (line breaks as \n). Then ends.
//
// The desktop windows are painted in one flat colour (RGB 58,110,165) so that a black window
// covering them shows on a screenshot. Closing the top-level window ends the program.

// A test tool, never shipped: it may use what later systems have (RegGetValue).
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
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

// Writes a text as UTF-8 within one field of a line: line breaks as "\n", tabs as blanks.
void PutField(const wchar_t* text) {
    static char buffer[65536];
    if (::WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, static_cast<int>(sizeof buffer),
                              nullptr, nullptr) <= 0) {
        buffer[0] = 0;
    }
    for (const char* c = buffer; *c; ++c) {
        if (*c == '\n') {
            std::fputs("\\n", stdout);
        } else if (*c != '\r') {
            std::putchar(*c == '\t' ? ' ' : *c);
        }
    }
}

struct ControlsOf {
    HWND top;
    HWND focus;
};

BOOL CALLBACK DescribeControl(HWND control, LPARAM data) {
    const ControlsOf& of = *reinterpret_cast<const ControlsOf*>(data);
    if (::GetParent(control) != of.top) return TRUE;
    wchar_t className[64] = L"";
    wchar_t text[4096] = L"";
    RECT r{};
    ::GetClassNameW(control, className, 64);
    ::SendMessageW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    ::GetWindowRect(control, &r);
    PutField(className);
    std::putchar('\t');
    PutField(text);
    std::printf("\t%ld,%ld,%ld,%ld\t%s", r.left, r.top, r.right - r.left, r.bottom - r.top,
                ::IsWindowVisible(control) ? "visible" : "hidden");
    if (!::lstrcmpiW(className, L"Button")) {
        std::printf("\t%s", ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked"
                                                                                   : "unchecked");
    }
    if (!::lstrcmpiW(className, L"ListBox")) {
        const LRESULT count = ::SendMessageW(control, LB_GETCOUNT, 0, 0);
        RECT item{};
        ::SendMessageW(control, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&item), 2);
        std::printf("\tsel=%d\trows=%ld,%ld,%ld\t",
                    static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0)), item.left,
                    item.top, item.bottom - item.top);
        for (LRESULT i = 0; i < count; ++i) {
            text[0] = 0;
            if (::SendMessageW(control, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 4096) {
                ::SendMessageW(control, LB_GETTEXT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(text));
            }
            if (i) std::putchar('|');
            PutField(text);
        }
    }
    if (control == of.focus) std::fputs("\tfocused", stdout);
    std::putchar('\n');
    return TRUE;
}

int Controls(const wchar_t* title) {
    const HWND top = ::FindWindowW(nullptr, title);
    if (!top) return 1;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(top, nullptr), &gui);
    std::printf("window\t%s\n", gui.hwndActive == top ? "active" : "inactive");
    ControlsOf of{top, gui.hwndFocus};
    ::EnumChildWindows(top, DescribeControl, reinterpret_cast<LPARAM>(&of));
    return 0;
}

int RunLogon(const wchar_t* key, const wchar_t* value) {
    wchar_t command[4096];
    DWORD size = sizeof command;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, command, &size)) {
        return 3;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::printf("cannot start: error %lu\n", ::GetLastError());
        return 4;
    }
    DWORD code = 1;
    ::WaitForSingleObject(process.hProcess, 120000);
    ::GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit %lu\n", code);
    return 0;
}

struct BrowserList {
    HWND list;
    bool loading;
};

BOOL CALLBACK FindBrowserChild(HWND child, LPARAM data) {
    BrowserList& found = *reinterpret_cast<BrowserList*>(data);
    wchar_t className[32];
    wchar_t text[32];
    if (!::IsWindowVisible(child)) return TRUE;
    ::GetClassNameW(child, className, 32);
    if (!::lstrcmpiW(className, L"ListBox")) found.list = child;
    if (!::lstrcmpiW(className, L"Static") && ::GetWindowTextW(child, text, 32) &&
        !::lstrcmpW(text, L"loading...")) {
        found.loading = true;
    }
    return TRUE;
}

BOOL CALLBACK FindBrowser(HWND window, LPARAM data) {
    BrowserList& found = *reinterpret_cast<BrowserList*>(data);
    wchar_t title[64];
    if (!::IsWindowVisible(window) || !::GetWindowTextW(window, title, 64) ||
        ::lstrcmpW(title, L"Murivale")) {
        return TRUE;
    }
    found.loading = false;
    ::EnumChildWindows(window, FindBrowserChild, data);
    return found.list == nullptr;
}

int List() {
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        BrowserList found{nullptr, false};
        DWORD_PTR count = 0;
        DWORD_PTR selected = 0;
        ::EnumWindows(FindBrowser, reinterpret_cast<LPARAM>(&found));
        if (!found.list) {
            std::puts("none");
        } else if (!::SendMessageTimeoutW(found.list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 500,
                                          &count) ||
                   !::SendMessageTimeoutW(found.list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 500,
                                          &selected)) {
            std::puts("busy");
        } else {
            std::printf("%d %d %d\n", static_cast<int>(count), static_cast<int>(selected),
                        found.loading ? 1 : 0);
        }
        std::fflush(stdout);
    }
    return 0;
}

int ListWindows() {
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
    if (!Register(L"E2eProbeCover", TopLevelProc, kCoverColour)) return 2;
    const int width = 640;
    const int height = 480;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    const HWND window = ::CreateWindowExW(0, L"E2eProbeCover", L"Cover", WS_POPUP | WS_VISIBLE,
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
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (argc == 3 && command == L"controls") return Controls(argv[2]);
    if (argc == 4 && command == L"runlogon") return RunLogon(argv[2], argv[3]);
    if (argc == 2 && command == L"list") return List();
    if (argc == 3 && command == L"desktop") return Desktop(argv[2]);
    if (argc == 2 && command == L"cover") return Cover();
    if (argc == 2 && command == L"windows") return ListWindows();
    std::fputs("usage: E2eProbe.exe controls TITLE | runlogon KEY VALUE | list | desktop LOGFILE"
               " | cover | windows\n",
               stderr);
    return 2;
}
