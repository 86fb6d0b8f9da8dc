// The shortcut writer's files on this system.
#pragma once

#include "macros/app/shortcut_files.h"

namespace keyloom {

class PosixShortcutFiles : public ShortcutFiles {
  public:
    std::string environment(const char* name) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    bool makeFolders(const std::string& path) override;
    bool replaceFile(const std::string& path, const std::string& content, bool executable) override;
    // GNOME's desktop asks for the "metadata::trusted" attribute, set through gio.
    void markTrusted(const std::string& path) override;
};

}  // namespace keyloom
