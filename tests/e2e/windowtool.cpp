// windowtool: the program's own window layer from the command line, for end-to-end tests (in a
// Wayland session without an X display the compositor's window list, or KWin's script where the
// compositor lists none; else X11).
//   windowtool list             one line a window, front to back: id, visible (1/0), title
//   windowtool find TITLE       the id of the first window with exactly that title, or 0
//   windowtool active           the id of the foreground window
//   windowtool activate ID      brings the window to the front; exit 1 when that did not happen
//   windowtool time COUNT       what the layer costs: opening it, one enumeration (the mean of
//                               COUNT), and activating the window behind the front one
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/wayland/kwin_windows.h"
#include "platform/wayland/wayland_session.h"
#include "platform/wayland/wayland_windows.h"
#include "platform/x11/x11_windows.h"

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

int timeLayer(ostrevin::platform::WindowSystem& windows, double openMs, int count) {
    const double start = nowMs();
    std::size_t listed = 0;
    for (int i = 0; i < count; ++i) listed += windows.enumerateWindows().size();
    const double enumerateUs = (nowMs() - start) * 1000.0 / count;
    const auto now = windows.enumerateWindows();
    double activateMs = -1;
    if (now.size() >= 2) {
        const double before = nowMs();
        if (windows.setForegroundWindow(now[1].id)) activateMs = nowMs() - before;
    }
    std::printf("open_ms=%.1f enumerate_us=%.1f activate_ms=%.1f windows=%zu\n", openMs,
                enumerateUs, activateMs, count ? listed / count : 0);
    return activateMs < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const double opening = nowMs();
    std::unique_ptr<ostrevin::platform::WaylandSession> session;
    std::unique_ptr<ostrevin::platform::WindowSystem> windows;
    const char* display = std::getenv("DISPLAY");
    if (std::getenv("WAYLAND_DISPLAY") && !(display && display[0])) {
        session = ostrevin::platform::WaylandSession::connect();
        if (session) windows = ostrevin::platform::WaylandWindows::open(*session);
        if (!windows) windows = ostrevin::platform::KWinWindows::open();
    } else {
        windows = ostrevin::platform::X11WindowSystem::open();
    }
    if (!windows || argc < 2) return 2;
    const std::string command = argv[1];
    if (command == "list") {
        for (const auto& w : windows->enumerateWindows())
            std::printf("%lu %d %s\n", static_cast<unsigned long>(w.id), w.visible ? 1 : 0,
                        w.title.c_str());
    } else if (command == "find" && argc == 3) {
        std::printf("%lu\n", static_cast<unsigned long>(windows->findWindow(argv[2])));
    } else if (command == "active") {
        std::printf("%lu\n", static_cast<unsigned long>(windows->foregroundWindow()));
    } else if (command == "time" && argc == 3) {
        return timeLayer(*windows, nowMs() - opening, std::atoi(argv[2]));
    } else if (command == "activate" && argc == 3) {
        return windows->setForegroundWindow(std::strtoul(argv[2], nullptr, 10)) ? 0 : 1;
    } else {
        return 2;
    }
    return 0;
}
