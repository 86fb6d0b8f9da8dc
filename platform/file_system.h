// The files that logic reads and removes beside the program.
#pragma once

#include <optional>
#include <string>

namespace ostrevin::platform {

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    virtual bool writeFile(const std::string& path, const std::string& content) = 0;
    // A missing file is no error: true when nothing is left at the path.
    virtual bool removeFile(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
};

}  // namespace ostrevin::platform
