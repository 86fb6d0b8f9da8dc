#include "platform/posix/dl_library_loader.h"

#include <dlfcn.h>

namespace ostrevin::platform {

void* DlLibraryLoader::open(const std::string& path) {
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* DlLibraryLoader::symbol(void* library, const std::string& name) {
    return library ? ::dlsym(library, name.c_str()) : nullptr;
}

void DlLibraryLoader::close(void* library) {
    if (library) ::dlclose(library);
}

}  // namespace ostrevin::platform
