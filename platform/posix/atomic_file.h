// Writes a whole file so that a reader or a crash sees the old content or the new, never part.
#pragma once

#include <string>

namespace ostrevin::platform {

// Writes `content` to a temporary file beside `path`, syncs it and renames it over `path`.
bool writeFileAtomically(const std::string& path, const std::string& content);

}  // namespace ostrevin::platform
