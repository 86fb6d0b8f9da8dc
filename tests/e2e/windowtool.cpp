// windowtool: the program's own window layer from the command line, for end-to-end tests (the
// compositor's window list in a Wayland session without an X display, else X11).
//   windowtool list             one line a window, front to back: id, visible (1/0), title
//   windowtool find TITLE       the id of the first window with exactly that title, or 0
//   windowtool active           the id of the foreground window
//   windowtool activate ID      brings the window to the front; exit 1 when that did not happen
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/wayland/wayland_session.h"
#include "platform/wayland/wayland_windows.h"
#include "platform/x11/x11_windows.h"

int main(int argc, char** argv) {
    std::unique_ptr<ostrevin::platform::WaylandSession> session;
    std::unique_ptr<ostrevin::platform::WindowSystem> windows;
    const char* display = std::getenv("DISPLAY");
    if (std::getenv("WAYLAND_DISPLAY") && !(display && display[0])) {
        session = ostrevin::platform::WaylandSession::connect();
        if (session) windows = ostrevin::platform::WaylandWindows::open(*session);
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
    } else if (command == "activate" && argc == 3) {
        return windows->setForegroundWindow(std::strtoul(argv[2], nullptr, 10)) ? 0 : 1;
    } else {
        return 2;
    }
    return 0;
}
