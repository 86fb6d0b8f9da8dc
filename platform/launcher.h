// Starting programs and opening documents, folders and links. Never through a shell.
#pragma once

#include <string>

namespace ostrevin::platform {

class Launcher {
  public:
    virtual ~Launcher() = default;
    // An executable starts directly with its parameters split as a shell would split them and
    // the folder as its working directory; anything else goes to the desktop's opener.
    virtual bool open(const std::string& file, const std::string& parameters,
                      const std::string& folder) = 0;
    // The desktop's text editor, with the path as one argument.
    virtual bool editText(const std::string& path) = 0;
};

}  // namespace ostrevin::platform
