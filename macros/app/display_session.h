// What the program can reach on this desktop: it types through XTEST and takes hot keys with
// XGrabKey, so it needs an X server; in a Wayland session that is XWayland, which reaches only
// the programs that run under it.
#pragma once

#include <functional>
#include <string>

namespace keyloom {

struct DisplaySession {
    std::string error;    // the program cannot work here and ends after saying so
    std::string warning;  // it works, with this limit
};

// What a Wayland compositor offers the program's own backend.
struct WaylandOffer {
    bool keyboard = false;  // a virtual keyboard: without it the X11 backend is tried
    bool windows = false;   // the window list, for window triggers, <<LOOKFOR: and <<FOCUS:
    bool hotKeys = false;   // bindings set over the compositor's IPC
    bool pointer = false;   // a virtual pointer, for mouse recordings
};

// A Wayland session whose compositor offers a virtual keyboard gets the Wayland backend; every
// other session keeps the X11 one.
bool useWaylandBackend(const std::function<std::string(const char*)>& environment,
                       const WaylandOffer& offer);
// On the Wayland backend: what will not work here, as a warning.
DisplaySession checkWaylandSession(const WaylandOffer& offer);

// environment: the value of a variable, "" when unset. xReachable: the X server answered with
// XTEST and XKEYBOARD.
DisplaySession checkDisplaySession(const std::function<std::string(const char*)>& environment,
                                   bool xReachable);

}  // namespace keyloom
