#include "macros/app/display_session.h"

#include "common/text.h"

namespace keyloom {

DisplaySession checkDisplaySession(const std::function<std::string(const char*)>& environment,
                                   bool xReachable) {
    const bool wayland =
        !environment("WAYLAND_DISPLAY").empty() ||
        ostrevin::equalsIgnoreAsciiCase(environment("XDG_SESSION_TYPE"), "wayland");
    const bool display = !environment("DISPLAY").empty();
    DisplaySession session;
    if (wayland && (!display || !xReachable)) {
        session.error =
            "Keyloom cannot work in this Wayland session: it needs an X server (XWayland) with the "
            "XTEST and XKEYBOARD extensions to type into other programs and XGrabKey for its hot "
            "keys, and " +
            std::string(display ? "the X server named by DISPLAY cannot be reached."
                                : "DISPLAY is not set, so XWayland is not running.") +
            "\n\nLog in to an X11 session, or enable XWayland, and start Keyloom again.";
    } else if (!display) {
        session.error = "Keyloom needs an X11 display, and DISPLAY is not set.";
    } else if (!xReachable) {
        session.error = "Keyloom cannot type into other programs here: the X server " +
                        environment("DISPLAY") +
                        " cannot be reached, or lacks the XTEST or XKEYBOARD extension.";
    } else if (wayland) {
        session.warning =
            "This is a Wayland session: Keyloom's hot keys and the keys it types reach only "
            "programs that run under XWayland (X11 programs), not native Wayland programs.";
    }
    return session;
}

WaylandDesktop waylandDesktopOf(bool virtualKeyboard, bool kwinOnBus, bool gnomeShellOnBus) {
    if (virtualKeyboard) return WaylandDesktop::wlroots;
    if (kwinOnBus) return WaylandDesktop::kde;
    if (gnomeShellOnBus) return WaylandDesktop::gnome;
    return WaylandDesktop::other;
}

bool gnomeShellGivesShortcuts(const std::string& shellVersion) {
    const std::string major = shellVersion.substr(0, shellVersion.find_first_not_of("0123456789"));
    return !major.empty() && major.size() <= 4 && std::stoi(major) >= 48;
}

bool useWaylandBackend(const std::function<std::string(const char*)>& environment,
                       const WaylandOffer& offer) {
    return !environment("WAYLAND_DISPLAY").empty() && offer.keyboard;
}

namespace {

struct MissingReasons {
    const char* hotKeys;
    const char* windows;
    const char* pointer;
};

MissingReasons reasonsOf(WaylandDesktop desktop) {
    switch (desktop) {
        case WaylandDesktop::wlroots:
            return {"the compositor takes no key bindings over an i3-compatible IPC",
                    "the compositor lists no windows", "the compositor offers no virtual pointer"};
        case WaylandDesktop::kde:
            return {"the desktop portal offers no global shortcuts",
                    "KWin's scripting interface did not answer",
                    "KWin does not let this program move the pointer; its desktop entry, "
                    "installed with the package, asks for that"};
        case WaylandDesktop::gnome:
        case WaylandDesktop::other: break;
    }
    return {"the desktop portal offers no global shortcuts", "the desktop lists no windows",
            "the desktop offers no pointer to programs"};
}

}  // namespace

DisplaySession checkWaylandSession(const WaylandOffer& offer) {
    const MissingReasons why = reasonsOf(offer.desktop);
    std::string missing;
    auto add = [&missing](bool offered, const std::string& what) {
        if (!offered) missing += "\n- " + what;
    };
    add(offer.keyboard,
        "typing (the desktop's remote desktop portal gave the program no keyboard: its question "
        "was refused or not answered in time; start Keyloom again to be asked again)");
    add(offer.hotKeys, std::string("hot keys (") + why.hotKeys + ")");
    add(offer.windows,
        std::string("window-title triggers, <<LOOKFOR: and <<FOCUS: (") + why.windows + ")");
    add(offer.pointer, std::string("playing back mouse recordings (") + why.pointer + ")");
    // Only a virtual keyboard can carry a keymap of the program's own; elsewhere such characters
    // are pasted where the desktop lets the program set the clipboard.
    add(offer.desktop == WaylandDesktop::wlroots || offer.pastes,
        "typing characters that the keyboard layout has no key for (this desktop takes only "
        "the keys of the layout and lets the program set no clipboard to paste them from; they "
        "are left out and named after the macro)");
    // Recording is refused where it is asked for, so it alone is no reason to warn at every start.
    DisplaySession session;
    if (!missing.empty())
        session.warning =
            "Keyloom types into the programs of this Wayland session, but here these "
            "do not work:" +
            missing + "\n- recording (a Wayland program cannot capture the keyboard)";
    return session;
}

}  // namespace keyloom
