// Macro names and the side files named after them.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace keyloom {

class MacroNameError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The stored form of a typed name: trailing blanks and control characters removed.
std::string cleanMacroName(std::string_view typed);

// The longest value the catalogue reads back whole.
inline constexpr std::size_t kMaxMacroNameChars = 1023;

// Why a name cannot be used, or nothing: also when it would not read back exactly as stored. A name
// names a file in the program folder, so nothing in it may lead out of that folder.
std::optional<std::string> macroNameProblem(std::string_view name);

// name + ".key" / ".dat", from the cleaned name.
std::string sideFileName(std::string_view name, std::string_view extension);

// True when the bare file name stays inside the folder it is joined to.
bool isSafeFileName(std::string_view fileName);

}  // namespace keyloom
