// An error that stops a running macro; the application shows it in its standard error box.
#pragma once

#include <stdexcept>

namespace keyloom {

class MacroError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A count in a token, read as the framework's string-to-integer conversion does: leading blanks,
// a sign, decimal digits, or hexadecimal after "$" or "0x". Throws
// "'%s' is not a valid integer value".
int macroInteger(const std::string& text);

}  // namespace keyloom
