// A launch macro's program, parameters and start-in folder, stored joined by "~~".
#pragma once

#include <string>
#include <string_view>

namespace keyloom {

inline constexpr std::string_view kLaunchSeparator = "~~";

struct LaunchCommand {
    std::string file;
    std::string parameters;
    std::string folder;
    // True when the stored value had the separator; only such entries report completion.
    bool separated = false;
};

std::string joinLaunchCommand(std::string_view file, std::string_view parameters,
                              std::string_view folder);
LaunchCommand splitLaunchCommand(std::string_view stored);

}  // namespace keyloom
