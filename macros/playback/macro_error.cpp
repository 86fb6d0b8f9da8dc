#include "macros/playback/macro_error.h"

#include <charconv>
#include <cstdint>

namespace keyloom {

int macroInteger(const std::string& text) {
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    // One sign only: from_chars would take a second minus ("--5", "+-5", "-$-1") as the number's.
    const bool secondSign = !s.empty() && (s.front() == '-' || s.front() == '+');
    std::int64_t value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (s.empty() || secondSign || ec != std::errc() || ptr != s.data() + s.size() ||
        value > INT32_MAX + std::int64_t{negative})
        throw MacroError("'" + text + "' is not a valid integer value");
    return static_cast<int>(negative ? -value : value);
}

}  // namespace keyloom
