#include "macros/catalogue/launch_command.h"

namespace keyloom {

std::string joinLaunchCommand(std::string_view file, std::string_view parameters,
                              std::string_view folder) {
    std::string out(file);
    out += kLaunchSeparator;
    out += parameters;
    out += kLaunchSeparator;
    out += folder;
    return out;
}

LaunchCommand splitLaunchCommand(std::string_view stored) {
    LaunchCommand cmd;
    auto first = stored.find(kLaunchSeparator);
    if (first == std::string_view::npos) {
        cmd.file = std::string(stored);
        return cmd;
    }
    cmd.separated = true;
    cmd.file = std::string(stored.substr(0, first));
    auto rest = stored.substr(first + kLaunchSeparator.size());
    auto second = rest.find(kLaunchSeparator);
    if (second == std::string_view::npos) {
        // Only one separator: what follows it is the parameters, and there is no folder.
        cmd.parameters = std::string(rest);
        return cmd;
    }
    cmd.parameters = std::string(rest.substr(0, second));
    cmd.folder = std::string(rest.substr(second + kLaunchSeparator.size()));
    return cmd;
}

}  // namespace keyloom
