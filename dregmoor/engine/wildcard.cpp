#include "dregmoor/engine/wildcard.h"

namespace ostrevin::dregmoor {

namespace {

inline char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Bytes of the UTF-8 character starting at name[i], so that "?" stands for a whole character.
inline std::size_t charLength(std::string_view name, std::size_t i) {
    const auto lead = static_cast<unsigned char>(name[i]);
    std::size_t n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t k = 1;
    while (k < n && i + k < name.size() && (static_cast<unsigned char>(name[i + k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string::npos;
}

}  // namespace

Wildcard::Wildcard(std::string_view pattern) : text_(pattern) {
    std::string p;
    for (char c : pattern) p += fold(c);
    if (p.empty() || p == "*" || p == "*.*") {
        shape_ = Shape::Any;
        return;
    }
    if (p.size() >= 2 && p.ends_with(".*")) {
        orWithoutExtension_ = true;
    } else if (p.back() == '.') {
        while (!p.empty() && p.back() == '.') p.pop_back();
        noDotAllowed_ = p.find('.') == std::string::npos;
    }
    folded_ = p;
    // A literal last byte is matched last against the name's last byte; "x.*" also takes "x".
    if (!p.empty() && p.back() != '*' && p.back() != '?' && !orWithoutExtension_)
        lastByte_ = p.back();
    if (!hasWildcard(p))
        shape_ = Shape::Literal;
    else if (p.front() == '*' && !hasWildcard(std::string_view(p).substr(1)))
        shape_ = Shape::Suffix;
    else
        shape_ = Shape::General;
}

bool Wildcard::matches(std::string_view name) const {
    switch (shape_) {
        case Shape::Any: return true;
        case Shape::Literal: {
            if (noDotAllowed_ && name.find('.') != std::string_view::npos) return false;
            if (name.size() == folded_.size()) {
                std::size_t i = 0;
                while (i < name.size() && fold(name[i]) == folded_[i]) ++i;
                if (i == name.size()) return true;
            }
            // "x.*" also takes the bare "x".
            return orWithoutExtension_ && name.size() + 2 == folded_.size() &&
                   general(std::string_view(folded_).substr(0, name.size()), name);
        }
        case Shape::Suffix: {
            if (noDotAllowed_ && name.find('.') != std::string_view::npos) return false;
            const std::size_t n = folded_.size() - 1;
            if (name.size() >= n) {
                const char* tail = name.data() + name.size() - n;
                std::size_t i = 0;
                while (i < n && fold(tail[i]) == folded_[i + 1]) ++i;
                if (i == n) return true;
            }
            return orWithoutExtension_ &&
                   general(std::string_view(folded_).substr(0, folded_.size() - 2), name);
        }
        case Shape::General: break;
    }
    if (noDotAllowed_ && name.find('.') != std::string_view::npos) return false;
    if (general(folded_, name)) return true;
    return orWithoutExtension_ &&
           general(std::string_view(folded_).substr(0, folded_.size() - 2), name);
}

// "*" and "?" with backtracking to the last star only, which is enough for these wildcards and
// keeps the match linear in practice.
bool Wildcard::general(std::string_view p, std::string_view name) const {
    std::size_t pi = 0, ni = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (ni < name.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = ++pi;
            starN = ni;
        } else if (pi < p.size() && p[pi] == '?') {
            ++pi;
            ni += charLength(name, ni);
        } else if (pi < p.size() && p[pi] == fold(name[ni])) {
            ++pi;
            ++ni;
        } else if (starP != std::string_view::npos) {
            pi = starP;
            starN += charLength(name, starN);
            ni = starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace ostrevin::dregmoor
