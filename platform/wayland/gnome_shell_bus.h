// A session-bus connection to the program's GNOME Shell extension. Each user of the extension
// opens a connection of its own: the extension ties hot keys to the connection that took them, so
// the hot keys' connection going away, with the program or alone, releases exactly those.
#pragma once

#include <memory>

struct sd_bus;
struct sd_bus_message;
struct sd_bus_slot;

namespace ostrevin::platform::gnomeshell {

struct BusDeleter {
    void operator()(sd_bus* bus) const;
};
using Bus = std::unique_ptr<sd_bus, BusDeleter>;

struct MessageDeleter {
    void operator()(sd_bus_message* message) const;
};
using Message = std::unique_ptr<sd_bus_message, MessageDeleter>;

// The session bus, with calls bounded to a short wait; nullptr when it cannot be reached.
Bus openSessionBus();
// Whether someone owns the name on the bus.
bool nameHasOwner(sd_bus* bus, const char* name);
// Whether the session is GNOME Shell's and whether our extension answers in it.
struct ShellState {
    bool shell = false;
    bool extension = false;
};
ShellState probeShell();

}  // namespace ostrevin::platform::gnomeshell
