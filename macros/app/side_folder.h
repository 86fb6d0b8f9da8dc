// Where the side files (".key", ".dat", "~temp.dat") live: the program folder, as long as the user
// may write there. An installation the user does not own (a system package) keeps them in the
// user's data folder instead, so macros can still be made and recorded.
#pragma once

#include <functional>
#include <string>

namespace keyloom {

// programFolder ends in "/"; so does the result.
std::string sideFileFolder(const std::string& programFolder,
                           const std::function<std::string(const char*)>& environment,
                           const std::function<bool(const std::string&)>& writable);

// The same, on this system (creating the data folder when it is the one).
std::string sideFileFolder(const std::string& programFolder);

}  // namespace keyloom
