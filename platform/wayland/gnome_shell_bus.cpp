#include "platform/wayland/gnome_shell_bus.h"

#include <systemd/sd-bus.h>

#include "platform/wayland/gnome_shell_names.h"

namespace ostrevin::platform::gnomeshell {

namespace {
// The shell answers at once unless it is stuck; a stuck shell must not hang the program's start
// or its poll for long.
constexpr std::uint64_t kCallTimeoutUs = 2'000'000;
}  // namespace

void BusDeleter::operator()(sd_bus* bus) const {
    sd_bus_flush_close_unref(bus);
}

void MessageDeleter::operator()(sd_bus_message* message) const {
    sd_bus_message_unref(message);
}

Bus openSessionBus() {
    sd_bus* raw = nullptr;
    if (sd_bus_open_user(&raw) < 0) return nullptr;
    Bus bus(raw);
    sd_bus_set_method_call_timeout(bus.get(), kCallTimeoutUs);
    return bus;
}

bool nameHasOwner(sd_bus* bus, const char* name) {
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s", name) < 0)
        return false;
    Message owned(reply);
    int has = 0;
    return sd_bus_message_read(reply, "b", &has) >= 0 && has;
}

ShellState probeShell() {
    ShellState state;
    Bus bus = openSessionBus();
    if (!bus) return state;
    state.shell = nameHasOwner(bus.get(), kShellBusName);
    state.extension = state.shell && nameHasOwner(bus.get(), kBusName);
    return state;
}

}  // namespace ostrevin::platform::gnomeshell
