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

// environment: the value of a variable, "" when unset. xReachable: the X server answered with
// XTEST and XKEYBOARD.
DisplaySession checkDisplaySession(const std::function<std::string(const char*)>& environment,
                                   bool xReachable);

}  // namespace keyloom
