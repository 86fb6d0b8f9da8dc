#pragma once

#include <string>

namespace ostrevin::platform {

// The folder of the running executable, with a trailing "/". Side files, help documents and
// icons live there.
std::string programFolder();

}  // namespace ostrevin::platform
