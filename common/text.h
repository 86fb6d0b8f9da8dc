// Text helpers shared by both programs. Strings are UTF-8; only the ASCII letters a to z take part
// in case folding, so names in other scripts compare byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrevin {

std::string upperAscii(std::string_view text);
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);
bool startsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix);

// Removes characters of code 32 or lower, the way names typed by users are cleaned.
std::string trimRightControl(std::string_view text);
std::string trimLeftControl(std::string_view text);
std::string trimControl(std::string_view text);

// Whole-string integer: optional sign and decimal digits, or "0x"/"0X" followed by hexadecimal
// digits (longer than two characters). Anything else, or a value outside 32 bits, is not an
// integer.
std::optional<int> parseInteger(std::string_view text);

// Cuts to at most maxChars characters without splitting a UTF-8 sequence.
std::string cutToChars(std::string_view text, std::size_t maxChars);

// The length in bytes of the UTF-8 character that starts the text (1 for a stray byte, 0 for "").
std::size_t firstCharLength(std::string_view text);

// Decodes UTF-8 into code points; a byte that starts no valid sequence stands for itself.
std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view text);

std::string toDecimal(long long value);

}  // namespace ostrevin
