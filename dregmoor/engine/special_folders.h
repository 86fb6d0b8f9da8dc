// The three special folders of a scan on a Linux desktop.
//
// Temp is "$TMPDIR" or "/tmp", and lists only regular files that the user owns and that nobody
// has written or changed for a day: a program still using a temp file would lose it without any
// error. Cache is "$XDG_CACHE_HOME" (default "~/.cache"). Cookies are the cookie stores of the
// browsers found in the user's home.
//
// Every file in Temp and Cache is listed, so a folder from the environment is taken only when it
// is really one of its kind: "TMPDIR=$HOME" would otherwise offer the whole home for cleaning.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dregmoor/engine/scan_result.h"
#include "platform/file_tree.h"

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
    // Why a folder the environment named is not used ("Temp skipped: ..."), for the status.
    std::string tempSkipped, cacheSkipped;

    // From the environment and the home folder of the running user.
    static SpecialFolders forCurrentUser();
};

// The cookie stores under home (ending in "/") of the browsers known to keep them there.
std::vector<CookieStore> findCookieStores(const std::string& home);

// Why folder cannot serve as a folder of temporary or cached files, or nothing when it can: it
// must be a folder (links resolved), neither the home folder, nor "/", nor above the home
// folder, and be owned by user or sticky. On success folder becomes the resolved path with a
// trailing "/".
std::optional<std::string> specialFolderProblem(std::string& folder, const std::string& home,
                                                std::uint32_t user);

// The age rule of Temp: owned by user and neither written nor changed for a day at nowSeconds.
bool oldEnoughTemp(const platform::FileFacts& facts, std::uint32_t user, std::int64_t nowSeconds);

// Asked just before a Temp row is cleaned, since a program may have taken the file up again
// since the scan: an error text when the file is no longer old enough, else "".
std::function<std::string(const ResultRow&)> tempAgeCheck(platform::FileTree& tree,
                                                          std::uint32_t user,
                                                          std::function<std::int64_t()> nowSeconds);

}  // namespace ostrevin::dregmoor
