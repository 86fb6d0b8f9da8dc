// The three special folders of a scan on a Linux desktop.
//
// Temp is "$TMPDIR" or "/tmp", and lists only regular files that the user owns and that nobody
// has written or changed for a day: a program still using a temp file would lose it without any
// error. Cache is "$XDG_CACHE_HOME" (default "~/.cache"). Cookies are the cookie stores of the
// browsers found in the user's home.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrevin::dregmoor {

struct CookieStore {
    std::string folder;  // a browser profile, ending in "/"
    std::string name;    // "cookies.sqlite", "Cookies", "Network/Cookies"
};

struct SpecialFolders {
    std::string temp;   // ending in "/"
    std::string cache;  // ending in "/"
    std::vector<CookieStore> cookies;
    std::uint32_t user = 0;       // the owner a Temp file must have
    std::int64_t nowSeconds = 0;  // for the one-day age rule of Temp

    // From the environment and the home folder of the running user.
    static SpecialFolders forCurrentUser();
};

// The cookie stores under home (ending in "/") of the browsers known to keep them there.
std::vector<CookieStore> findCookieStores(const std::string& home);

}  // namespace ostrevin::dregmoor
