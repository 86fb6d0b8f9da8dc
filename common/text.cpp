#include "common/text.h"

#include <charconv>
#include <cstdint>

namespace ostrevin {

namespace {
char upperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
}  // namespace

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperChar(c);
    return out;
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperChar(a[i]) != upperChar(b[i])) return false;
    return true;
}

bool startsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::string trimRightControl(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isControlOrBlank(text[end - 1])) --end;
    return std::string(text.substr(0, end));
}

std::string trimLeftControl(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && isControlOrBlank(text[begin])) ++begin;
    return std::string(text.substr(begin));
}

std::string trimControl(std::string_view text) {
    return trimLeftControl(trimRightControl(text));
}

std::optional<int> parseInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t value = 0;
        auto digits = text.substr(2);
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (ec != std::errc() || ptr != digits.data() + digits.size()) return std::nullopt;
        return static_cast<int>(value);
    }
    std::string_view body = text;
    bool plus = !body.empty() && body[0] == '+';
    if (plus) body.remove_prefix(1);
    if (body.empty() || body[0] == '+' || (plus && body[0] == '-')) return std::nullopt;
    int value = 0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value, 10);
    if (ec != std::errc() || ptr != body.data() + body.size()) return std::nullopt;
    return value;
}

std::string cutToChars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation) {
            if (chars == maxChars) return std::string(text.substr(0, i));
            ++chars;
        }
    }
    return std::string(text);
}

std::size_t firstCharLength(std::string_view text) {
    if (text.empty()) return 0;
    std::size_t n = 1;
    while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) ++n;
    return n;
}

std::u32string decodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = lead >= 0xF8   ? 0
                            : lead >= 0xF0 ? 3
                            : lead >= 0xE0 ? 2
                            : lead >= 0xC2 ? 1
                                           : 0;
        char32_t cp = extra == 0 ? lead : (lead & (0x3F >> extra));
        bool valid = i + extra < text.size();
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (extra > 0 && (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (extra == 0 || !valid) {
            out.push_back(lead);
            ++i;
        } else {
            out.push_back(cp);
            i += extra + 1;
        }
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string out;
    for (char32_t cp : text) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string toDecimal(long long value) {
    return std::to_string(value);
}

}  // namespace ostrevin
