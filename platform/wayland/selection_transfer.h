// What the programs that paste a selection share, however they set it: the types a text goes out
// as, and writing a selection's bytes to the descriptor a receiver handed over.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ostrevin::platform::pasting {

using Contents = std::vector<std::pair<std::string, std::string>>;  // type, bytes

// The text under every type a receiver may ask for it by: the MIME names Wayland programs use, and
// the X names that programs under XWayland ask for through the compositor.
Contents asText(const std::string& utf8);

// Waits for the descriptor to be ready, at most timeoutMs; false when it was not.
bool ready(int fd, short events, int timeoutMs);

// Writes all of bytes, or stops when the receiver stops reading for timeoutMs or closes its end.
// A receiver that closes early must not end the program: SIGPIPE is held back for the write, and
// any that came is taken off the thread before it is let through again.
void writeAll(int fd, const std::string& bytes, int timeoutMs);

}  // namespace ostrevin::platform::pasting
