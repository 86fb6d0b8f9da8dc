// Splits a parameter string into words the way a POSIX shell would, without running one: blanks
// separate words, single quotes keep everything literally, double quotes keep blanks and allow
// \" \\ \$ \` escapes, and a backslash outside quotes escapes the next character. Nothing is
// expanded: no variables, globs or commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrevin {

// Nothing when a quote is left open.
std::optional<std::vector<std::string>> splitShellWords(std::string_view text);

}  // namespace ostrevin
