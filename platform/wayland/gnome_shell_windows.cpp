#include "platform/wayland/gnome_shell_windows.h"

#include <systemd/sd-bus.h>

#include "platform/wayland/gnome_shell_names.h"

namespace ostrevin::platform {

using namespace gnomeshell;

std::unique_ptr<GnomeShellWindows> GnomeShellWindows::open() {
    Bus bus = openSessionBus();
    if (!bus || !nameHasOwner(bus.get(), kBusName)) return nullptr;
    return std::unique_ptr<GnomeShellWindows>(new GnomeShellWindows(std::move(bus)));
}

bool GnomeShellWindows::list(WindowId& focused, std::vector<WindowInfo>& windows) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_call_method(bus_.get(), kBusName, kObjectPath, kInterface, "ListWindows", nullptr,
                           &raw, "") < 0)
        return false;
    Message reply(raw);
    std::uint64_t focus = 0;
    if (sd_bus_message_read(raw, "t", &focus) < 0 ||
        sd_bus_message_enter_container(raw, SD_BUS_TYPE_ARRAY, "(tsb)") < 0)
        return false;
    for (;;) {
        std::uint64_t id = 0;
        const char* title = nullptr;
        int visible = 0;
        const int r = sd_bus_message_read(raw, "(tsb)", &id, &title, &visible);
        if (r < 0) return false;
        if (r == 0) break;
        windows.push_back({id, title ? title : "", visible != 0});
    }
    focused = focus;
    return true;
}

std::vector<WindowInfo> GnomeShellWindows::enumerateWindows() {
    WindowId focused = 0;
    std::vector<WindowInfo> windows;
    if (!list(focused, windows)) return {};
    return windows;
}

WindowId GnomeShellWindows::findWindow(const std::string& title) {
    for (const WindowInfo& window : enumerateWindows())
        if (window.title == title) return window.id;
    return 0;
}

WindowId GnomeShellWindows::foregroundWindow() {
    WindowId focused = 0;
    std::vector<WindowInfo> windows;
    return list(focused, windows) ? focused : 0;
}

bool GnomeShellWindows::setForegroundWindow(WindowId window) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_call_method(bus_.get(), kBusName, kObjectPath, kInterface, "ActivateWindow", nullptr,
                           &raw, "t", static_cast<std::uint64_t>(window)) < 0)
        return false;
    Message reply(raw);
    int done = 0;
    return sd_bus_message_read(raw, "b", &done) >= 0 && done;
}

}  // namespace ostrevin::platform
