// Which program views a found file: the desktop's default application for "text/plain", from the
// freedesktop MIME associations (mimeapps.list, then mimeinfo.cache), started with the path as
// one argument; "xdg-open" when none is set. Never through a shell.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrevin::dregmoor {

// The environment and the file system as the lookup sees them, so that tests can stage both.
struct DesktopFiles {
    std::function<std::string(const char* name)> env;  // "" when unset
    std::function<std::optional<std::string>(const std::string& path)> read;
};

// The argument vector that opens path in the text editor.
std::vector<std::string> textEditorCommand(const std::string& path, const DesktopFiles& files);

// The Exec line of a desktop entry as an argument vector for one file: quoting undone by the
// Desktop Entry rules, %f %F %u %U replaced by the path (appended when there is none), other field
// codes dropped. Empty when the line cannot be split.
std::vector<std::string> execArguments(const std::string& exec, const std::string& path);

// The real environment and files.
DesktopFiles realDesktopFiles();

}  // namespace ostrevin::dregmoor
