// Loading shared libraries at run time.
#pragma once

#include <string>

namespace ostrevin::platform {

class LibraryLoader {
  public:
    virtual ~LibraryLoader() = default;
    // An opaque handle, nullptr when the library cannot be loaded.
    virtual void* open(const std::string& path) = 0;
    virtual void* symbol(void* library, const std::string& name) = 0;
    virtual void close(void* library) = 0;
};

}  // namespace ostrevin::platform
