// Helper of the hot key and poll benchmarks.
//   trigger_bench_tool press COUNT [MS]   presses Shift+Ctrl+K COUNT times through XTest into a
//                                         window of its own, holding Shift MS longer than the
//                                         rest; prints, one line a press, the milliseconds from
//                                         the last key's release (after XSync) to the first "x"
//                                         that arrives
//   trigger_bench_tool windows COUNT      keeps COUNT titled windows open until it is ended
//   trigger_bench_tool plain SECONDS      polls the catalogue's window triggers for SECONDS at
//                                         250 ms, reading the file and enumerating the windows
//                                         once per trigger; prints its CPU share of one core
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/ini_store.h"
#include "macros/catalogue/macro_catalogue.h"
#include "macros/playback/window_search.h"
#include "platform/x11/x11_windows.h"

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

Window openWindow(Display* d, const std::string& title) {
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 100, 0, 0, 0xffffff);
    XSelectInput(d, w, KeyPressMask | FocusChangeMask | StructureNotifyMask);
    Xutf8SetWMProperties(d, w, title.c_str(), title.c_str(), nullptr, 0, nullptr, nullptr, nullptr);
    XMapWindow(d, w);
    return w;
}

// The next event within the time, or false.
bool nextEvent(Display* d, XEvent& event, double untilMs) {
    while (XPending(d) == 0) {
        const double left = untilMs - nowMs();
        if (left <= 0) return false;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left) + 1);
    }
    XNextEvent(d, &event);
    return true;
}

int press(int count, int holdShiftMs) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 2;
    Window w = openWindow(d, "hot key probe");
    XEvent event;
    for (double until = nowMs() + 5000;;) {
        if (!nextEvent(d, event, until)) return 3;
        if (event.type == MapNotify) XSetInputFocus(d, w, RevertToParent, CurrentTime);
        if (event.type == FocusIn) break;
    }
    const KeyCode shift = XKeysymToKeycode(d, XK_Shift_L), ctrl = XKeysymToKeycode(d, XK_Control_L),
                  k = XKeysymToKeycode(d, XK_k);
    for (int i = 0; i < count; ++i) {
        for (KeyCode kc : {shift, ctrl, k}) XTestFakeKeyEvent(d, kc, True, CurrentTime);
        for (KeyCode kc : {k, ctrl}) XTestFakeKeyEvent(d, kc, False, CurrentTime);
        if (holdShiftMs > 0) {
            XSync(d, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(holdShiftMs));
        }
        XTestFakeKeyEvent(d, shift, False, CurrentTime);
        XSync(d, False);
        const double released = nowMs();
        double arrived = -1;
        for (double until = released + 2000; arrived < 0;) {
            if (!nextEvent(d, event, until)) break;
            if (event.type != KeyPress) continue;
            char text[8];
            KeySym sym = 0;
            if (XLookupString(&event.xkey, text, sizeof text, &sym, nullptr) > 0 &&
                (text[0] == 'x' || text[0] == 'X'))
                arrived = nowMs();
        }
        std::printf("%.3f\n", arrived < 0 ? -1.0 : arrived - released);
        std::fflush(stdout);
        // Lets the run end before the next press, which would be turned away while it lasts.
        for (double until = nowMs() + 60; nextEvent(d, event, until);) {
        }
    }
    XCloseDisplay(d);
    return 0;
}

int windows(int count) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 2;
    for (int i = 0; i < count; ++i) openWindow(d, "bench window " + std::to_string(i + 1));
    XSync(d, False);
    for (XEvent event;;) XNextEvent(d, &event);
}

double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Each trigger opens the file for its own keys and walks all windows, as the design reads.
int plain(int seconds) {
    auto windows = ostrevin::platform::X11WindowSystem::open();
    if (!windows) return 2;
    ostrevin::IniStore store(keyloom::kCatalogueFileName);
    const double start = nowMs(), cpuStart = cpuMs();
    int fired = 0;
    while (nowMs() - start < seconds * 1000.0) {
        const int entries = store.readInteger("Main", "Entries", 0);
        for (int n = 1; n <= entries; ++n) {
            const std::string section = keyloom::MacroCatalogue::section(n);
            const std::string trigger = store.readString(section, "Trigger", "");
            if (trigger.empty()) continue;
            keyloom::WindowSearchState state{trigger, false, 0};
            for (const auto& window : windows->enumerateWindows())
                if (!keyloom::MatchWindowTitle(window, state)) break;
            if (!state.WindowFound) continue;
            const std::string found = store.readString(section, "FoundHandle", "");
            fired += found.empty() ? 1 : 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    const double share = 100.0 * (cpuMs() - cpuStart) / (nowMs() - start);
    std::printf("%.3f %d\n", share, fired);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string command = argv[1];
    const int n = std::atoi(argv[2]);
    if (command == "press") return press(n, argc > 3 ? std::atoi(argv[3]) : 0);
    if (command == "windows") return windows(n);
    if (command == "plain") return plain(n);
    return 2;
}
