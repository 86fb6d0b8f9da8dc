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

// Which desktop a Wayland session is, as far as the program's backend goes: a wlroots compositor
// takes a virtual keyboard and key bindings over its IPC; KDE Plasma and GNOME take keys through
// their own interfaces and the desktop portal.
enum class WaylandDesktop { wlroots, kde, gnome, other };

// From what the session offers, never from a setting: a virtual keyboard in the compositor's
// registry makes it wlroots, else KWin or GNOME Shell on the session bus names the desktop.
WaylandDesktop waylandDesktopOf(bool virtualKeyboard, bool kwinOnBus, bool gnomeShellOnBus);

// Whether GNOME Shell of that version ("43.9") hands global shortcuts to programs through the
// desktop portal, which asks the user about them; older ones do it only through the package's
// extension. Their portal may still list the interface, served by another desktop's backend that
// cannot take keys on GNOME, so the version decides, not the interface.
bool gnomeShellGivesShortcuts(const std::string& shellVersion);

// What a Wayland desktop offers the program's own backend.
struct WaylandOffer {
    bool keyboard = false;  // a way to type: without it the X11 backend is tried
    bool windows = false;   // the window list, for window triggers, <<LOOKFOR: and <<FOCUS:
    bool hotKeys = false;   // system-wide hot keys
    bool pointer = false;   // a pointer to play mouse recordings back with
    WaylandDesktop desktop = WaylandDesktop::wlroots;
    bool pastes = false;  // characters the layout lacks are pasted
};

// A Wayland session with a way to type gets the Wayland backend; every other session keeps the
// X11 one.
bool useWaylandBackend(const std::function<std::string(const char*)>& environment,
                       const WaylandOffer& offer);
// On the Wayland backend: what will not work here, as a warning.
DisplaySession checkWaylandSession(const WaylandOffer& offer);

// environment: the value of a variable, "" when unset. xReachable: the X server answered with
// XTEST and XKEYBOARD.
DisplaySession checkDisplaySession(const std::function<std::string(const char*)>& environment,
                                   bool xReachable);

}  // namespace keyloom
