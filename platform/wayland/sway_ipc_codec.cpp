#include "platform/wayland/sway_ipc_codec.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <sstream>
#include <vector>

namespace ostrevin::platform::swayipc {

namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeader = 14;

void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

std::uint32_t getU32(std::string_view in) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[static_cast<std::size_t>(i)]);
    return v;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    std::istringstream in{std::string(line)};
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// Left to right, the longest variable name first where several match, as the compositor does;
// a value is not searched again, so a variable that names itself ends.
std::string substitute(const std::string& word, const std::map<std::string, std::string>& vars) {
    std::string out;
    for (std::size_t i = 0; i < word.size();) {
        const std::pair<const std::string, std::string>* best = nullptr;
        if (word[i] == '$')
            for (const auto& var : vars)
                if (word.compare(i, var.first.size(), var.first) == 0 &&
                    (!best || var.first.size() > best->first.size()))
                    best = &var;
        if (best) {
            out += best->second;
            i += best->first.size();
        } else {
            out.push_back(word[i++]);
        }
    }
    return out;
}

}  // namespace

std::string encode(std::uint32_t type, std::string_view payload) {
    std::string out(kMagic);
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    putU32(out, type);
    out.append(payload);
    return out;
}

std::optional<Message> Reader::next() {
    if (buffer_.size() < kHeader) return std::nullopt;
    const std::uint32_t length = getU32(std::string_view(buffer_).substr(6, 4));
    if (buffer_.size() < kHeader + length) return std::nullopt;
    Message m{getU32(std::string_view(buffer_).substr(10, 4)), buffer_.substr(kHeader, length)};
    buffer_.erase(0, kHeader + length);
    return m;
}

std::string normalizeCombo(std::string_view combo) {
    static const std::map<std::string, std::string> aliases = {
        {"control", "ctrl"}, {"alt", "mod1"}, {"super", "mod4"}, {"capslock", "lock"}};
    std::vector<std::string> parts;
    std::string part;
    for (char c : combo) {
        if (c == '+' && !part.empty()) {
            parts.push_back(lower(part));
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    const std::string key = lower(part);
    for (std::string& p : parts)
        if (auto a = aliases.find(p); a != aliases.end()) p = a->second;
    std::sort(parts.begin(), parts.end());
    std::string out;
    for (const std::string& p : parts) out += p + "+";
    return out + key;
}

std::set<std::string> configuredCombos(std::string_view config) {
    std::map<std::string, std::string> vars;
    std::set<std::string> combos;
    int depth = 0;             // inside a mode block (or any other block but bindsym's own)
    bool inBindBlock = false;  // "bindsym { ... }" lists one binding a line
    std::istringstream in{std::string(config)};
    for (std::string line; std::getline(in, line);) {
        auto w = words(line);
        if (w.empty() || w[0][0] == '#') continue;
        if (w[0] == "set" && w.size() >= 3 && w[1][0] == '$') {
            vars[w[1]] = substitute(w[2], vars);
            continue;
        }
        for (std::string& word : w) word = substitute(word, vars);
        if (w[0] == "}") {
            if (inBindBlock)
                inBindBlock = false;
            else if (depth > 0)
                --depth;
            continue;
        }
        std::size_t i = 0;
        if (!inBindBlock) {
            if (w[0] != "bindsym") {
                if (w.back() == "{") ++depth;
                continue;
            }
            i = 1;
        }
        if (depth > 0) continue;
        while (i < w.size() && w[i].rfind("--", 0) == 0) ++i;
        if (i < w.size() && w[i] == "{") {
            inBindBlock = true;
            continue;
        }
        if (i < w.size()) combos.insert(normalizeCombo(w[i]));
    }
    return combos;
}

std::optional<std::string> jsonString(std::string_view json, std::string_view key) {
    const std::string quoted = "\"" + std::string(key) + "\"";
    std::size_t at = json.find(quoted);
    if (at == std::string_view::npos) return std::nullopt;
    at = json.find(':', at + quoted.size());
    if (at == std::string_view::npos) return std::nullopt;
    at = json.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string_view::npos || json[at] != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = at + 1; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '"') return out;
        if (c == '\\' && i + 1 < json.size()) {
            const char e = json[++i];
            switch (e) {
                case 'n': out.push_back('\n'); break;
                case 't': out.push_back('\t'); break;
                case 'r': out.push_back('\r'); break;
                case 'b': out.push_back('\b'); break;
                case 'f': out.push_back('\f'); break;
                case 'u': out += "?", i += 4; break;  // not in any text we look for
                default: out.push_back(e);
            }
            continue;
        }
        out.push_back(c);
    }
    return std::nullopt;
}

bool commandSucceeded(std::string_view reply) {
    std::string compact;
    for (char c : reply)
        if (!std::isspace(static_cast<unsigned char>(c))) compact.push_back(c);
    return compact.find("\"success\":true") != std::string::npos &&
           compact.find("\"success\":false") == std::string::npos;
}

}  // namespace ostrevin::platform::swayipc
