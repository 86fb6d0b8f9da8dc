#include "macros/catalogue/macro_name.h"

#include "common/text.h"

namespace keyloom {

std::string cleanMacroName(std::string_view typed) {
    return ostrevin::trimRightControl(typed);
}

std::optional<std::string> macroNameProblem(std::string_view name) {
    const std::string quoted = "The macro name \"" + std::string(name) + "\" cannot be used: ";
    // The catalogue reads a value without its surrounding blanks and quotation marks; a name
    // stored with them would read back as another, and the macro could not be found again.
    const bool enclosed = name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
                          name.back() == name.front();
    if (!name.empty() && (name.front() == ' ' || enclosed))
        return quoted +
               "a macro name may not begin with a blank or be enclosed in quotation marks.";
    if (ostrevin::decodeUtf8(name).size() > kMaxMacroNameChars)
        return "The macro name cannot be used: it is longer than " +
               std::to_string(kMaxMacroNameChars) + " characters.";
    // The properties dialog records into "~temp.dat" before the recording takes its macro's name.
    if (ostrevin::equalsIgnoreAsciiCase(name, "~temp"))
        return quoted + "Keyloom keeps new recordings under that name.";
    for (char c : name) {
        if (c == '/')
            return "The macro name \"" + std::string(name) +
                   "\" cannot be used: a macro name may not contain \"/\".";
        if (static_cast<unsigned char>(c) < 32)
            return "The macro name cannot be used: it contains a control character.";
    }
    return std::nullopt;
}

std::string sideFileName(std::string_view name, std::string_view extension) {
    return cleanMacroName(name) + std::string(extension);
}

bool isSafeFileName(std::string_view fileName) {
    if (fileName.empty() || fileName == "." || fileName == "..") return false;
    return fileName.find('/') == std::string_view::npos &&
           fileName.find('\0') == std::string_view::npos;
}

}  // namespace keyloom
