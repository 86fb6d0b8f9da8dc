// The braced key names of key strings, searched in this order; the first match wins.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace keyloom {

struct KeyName {
    const char* name;  // upper case, at most 7 characters
    std::uint8_t virtualKey;
};

// Looks up a name already upper-cased.
std::optional<std::uint8_t> findKeyName(std::string_view upperName);

}  // namespace keyloom
