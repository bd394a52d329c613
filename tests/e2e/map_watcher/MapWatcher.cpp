// Watches the X screen for any window that becomes visible, as a person's eye would: every top-
// level window mapped while it watches is reported, however briefly it stays (a sampling poller
// misses a window shown and hidden between two looks; the server's map events do not).
//
//   map_watcher            (DISPLAY names the screen)
//
// Lines on standard output, each flushed:
//   "watching"                       once the watch is in place: start the program after this.
//   "map 0x... class=... name=..."   a top-level window was mapped (class and name as far as
//                                    the window still exists to be asked).
//   "end maps=N created=C left=L"    after standard input is closed (or a line is read from it):
//                                    N maps seen, C windows created during the watch, L of them
//                                    still existing after waiting up to 10 s for their end.
//
// The end waits for the windows created during the watch to be destroyed: the server handles a
// client's requests in order, so once a window's destruction is seen, every map of it has been
// seen too, even when the program ended just before the watch was stopped.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }  // a window gone before it was asked

std::string Describe(Display* display, Window window) {
    std::string text;
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) {
        text += std::string(" class=") + (hint.res_name ? hint.res_name : "") + "/" +
                (hint.res_class ? hint.res_class : "");
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
    } else {
        text += " class=?";
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        text += std::string(" name=") + name;
        XFree(name);
    } else {
        text += " name=?";
    }
    return text;
}

struct Counts {
    int maps = 0;
    std::set<Window> created;  // during the watch, not yet destroyed
    int createdTotal = 0;
};

void Handle(Display* display, const XEvent& event, Counts& counts) {
    switch (event.type) {
        case CreateNotify:
            counts.created.insert(event.xcreatewindow.window);
            ++counts.createdTotal;
            break;
        case DestroyNotify:
            counts.created.erase(event.xdestroywindow.window);
            break;
        case MapNotify:
            ++counts.maps;
            std::printf("map 0x%lx%s\n", static_cast<unsigned long>(event.xmap.window),
                        Describe(display, event.xmap.window).c_str());
            std::fflush(stdout);
            break;
        default:
            break;
    }
}

void Drain(Display* display, Counts& counts) {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        Handle(display, event, counts);
    }
}

}  // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "map_watcher: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    std::puts("watching");
    std::fflush(stdout);

    Counts counts;
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        Drain(display, counts);
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) break;
    }

    // Everything the server did before this round trip has reached us; then wait for the end of
    // the windows made meanwhile.
    XSync(display, False);
    Drain(display, counts);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!counts.created.empty() && std::chrono::steady_clock::now() < deadline) {
        pollfd x = {ConnectionNumber(display), POLLIN, 0};
        poll(&x, 1, 100);
        XSync(display, False);
        Drain(display, counts);
    }
    std::printf("end maps=%d created=%d left=%zu\n", counts.maps, counts.createdTotal,
                counts.created.size());
    std::fflush(stdout);
    XCloseDisplay(display);
    return 0;
}
