#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/launcher.h"

namespace ostrevin::platform {

class PosixLauncher : public Launcher {
  public:
    ~PosixLauncher() override;
    bool open(const std::string& file, const std::string& parameters,
              const std::string& folder) override;
    bool editText(const std::string& path) override;
    // Collects the exit status of programs that have ended, so none lingers as a zombie.
    void reapChildren();

    // The executable that "file" names (a path, or a name found on PATH), or "" when it is not
    // an executable file: then it is a document, folder or link for the desktop's opener.
    static std::string findExecutable(const std::string& file, const std::string& folder);

  private:
    bool spawn(const std::vector<std::string>& argv, const std::string& folder);
    std::vector<pid_t> children_;
};

}  // namespace ostrevin::platform
