#include "platform/posix/program_folder.h"

#include <unistd.h>
#include <climits>

namespace ostrevin::platform {

std::string programFolder() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace ostrevin::platform
