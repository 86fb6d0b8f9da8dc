#pragma once

#include "platform/library_loader.h"

namespace ostrevin::platform {

class DlLibraryLoader : public LibraryLoader {
  public:
    void* open(const std::string& path) override;
    void* symbol(void* library, const std::string& name) override;
    void close(void* library) override;
};

}  // namespace ostrevin::platform
