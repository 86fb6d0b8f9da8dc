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

bool useWaylandBackend(const std::function<std::string(const char*)>& environment,
                       const WaylandOffer& offer) {
    return !environment("WAYLAND_DISPLAY").empty() && offer.keyboard;
}

DisplaySession checkWaylandSession(const WaylandOffer& offer) {
    std::string missing;
    auto add = [&missing](bool offered, const char* what) {
        if (!offered) missing += std::string("\n- ") + what;
    };
    add(offer.hotKeys, "hot keys (the compositor takes no key bindings over an i3-compatible IPC)");
    add(offer.windows,
        "window-title triggers, <<LOOKFOR: and <<FOCUS: (the compositor lists no windows)");
    add(offer.pointer, "playing back mouse recordings (the compositor offers no virtual pointer)");
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
