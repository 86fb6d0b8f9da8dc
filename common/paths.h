// Where the programs keep their files.
#pragma once

#include <string>

namespace ostrevin {

// "$XDG_CONFIG_HOME/ostrevin/" (default "~/.config/ostrevin/"), with its trailing "/".
std::string configFolder();

// A bare file name ("macros.ini") lives in the configuration folder; a path stays as it is.
std::string resolveConfigFile(const std::string& name);

// Creates the folder and its parents as needed; false when that is refused.
bool makeFolders(const std::string& folder);

}  // namespace ostrevin
