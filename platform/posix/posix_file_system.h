#pragma once

#include "platform/file_system.h"

namespace ostrevin::platform {

class PosixFileSystem : public FileSystem {
  public:
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, const std::string& content) override;
    bool removeFile(const std::string& path) override;
    bool exists(const std::string& path) override;
};

}  // namespace ostrevin::platform
