#include "platform/wayland/gnome_shell_names.h"

#include "platform/hot_keys.h"

namespace ostrevin::platform::gnomeshell {

std::string accelerator(unsigned modifiers, const std::string& keyName) {
    // A name the shell would read as another modifier or as its own syntax would grab something
    // else than the user asked for.
    if (keyName.empty() || keyName.find_first_of("<> ") != std::string::npos) return {};
    std::string text;
    if (modifiers & kModShift) text += "<Shift>";
    if (modifiers & kModControl) text += "<Control>";
    if (modifiers & kModAlt) text += "<Alt>";
    return text + keyName;
}

std::string enableHint() {
    return std::string(
               "Keyloom's GNOME Shell extension is not running, so hot keys, "
               "window-title triggers, <<LOOKFOR: and <<FOCUS: do not work. Enable it "
               "with\n    gnome-extensions enable ") +
           kExtensionUuid +
           "\nand start Keyloom again (after installing the package, log out and in once, "
           "so that GNOME Shell finds the extension).";
}

}  // namespace ostrevin::platform::gnomeshell
