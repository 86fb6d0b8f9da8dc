// What the shortcut writer needs of the system: the user's folders, and writing a launcher file
// so that it replaces any earlier one whole.
#pragma once

#include <optional>
#include <string>

namespace keyloom {

class ShortcutFiles {
  public:
    virtual ~ShortcutFiles() = default;
    virtual std::string environment(const char* name) = 0;
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Anything at the path, also a file that cannot be read or a dangling symbolic link.
    virtual bool exists(const std::string& path) = 0;
    virtual bool isFolder(const std::string& path) = 0;
    virtual bool makeFolders(const std::string& path) = 0;
    // Written under a temporary name in the same folder and renamed over the path; an existing
    // symbolic link at the path is replaced, never followed.
    virtual bool replaceFile(const std::string& path, const std::string& content,
                             bool executable) = 0;
    // Tells the desktop's file manager that the launcher may run (where it asks for that).
    virtual void markTrusted(const std::string& path) = 0;
};

}  // namespace keyloom
