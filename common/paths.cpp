#include "common/paths.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdlib>

namespace ostrevin {

std::string configFolder() {
    // The base directory specification ignores relative values.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] ? home : "/tmp") + "/.config";
    }
    if (base.back() != '/') base += '/';
    return base + "ostrevin/";
}

std::string resolveConfigFile(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    return configFolder() + name;
}

bool makeFolders(const std::string& folder) {
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/') continue;
        std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace ostrevin
