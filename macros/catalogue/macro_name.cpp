#include "macros/catalogue/macro_name.h"

#include "common/text.h"

namespace keyloom {

std::string cleanMacroName(std::string_view typed) {
    return ostrevin::trimRightControl(typed);
}

std::optional<std::string> macroNameProblem(std::string_view name) {
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
