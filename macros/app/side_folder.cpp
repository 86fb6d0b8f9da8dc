#include "macros/app/side_folder.h"

#include <unistd.h>
#include <cstdlib>

#include "common/paths.h"

namespace keyloom {

std::string sideFileFolder(const std::string& programFolder,
                           const std::function<std::string(const char*)>& environment,
                           const std::function<bool(const std::string&)>& writable) {
    if (writable(programFolder)) return programFolder;
    const std::string dataHome = environment("XDG_DATA_HOME");
    const std::string home = environment("HOME");
    if (!dataHome.empty() && dataHome[0] == '/') return dataHome + "/keyloom/";
    if (!home.empty()) return home + "/.local/share/keyloom/";
    return programFolder;  // nowhere better: writes fail there with a clear message
}

std::string sideFileFolder(const std::string& programFolder) {
    auto environment = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    const std::string folder =
        sideFileFolder(programFolder, environment,
                       [](const std::string& path) { return ::access(path.c_str(), W_OK) == 0; });
    if (folder != programFolder) ostrevin::makeFolders(folder);
    return folder;
}

}  // namespace keyloom
