#include "common/ini_document.h"

#include "common/text.h"

namespace ostrevin {

namespace {

std::string_view trimBlanks(std::string_view s) {
    auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    };
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return std::string(v.substr(1, v.size() - 2));
    return std::string(v);
}

// A line break inside a value would split it into two lines and corrupt the file; names with
// "=" or "]" could not be read back. Such text is made safe rather than written as it stands.
std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

}  // namespace

std::optional<std::string> iniSectionName(std::string_view line) {
    auto t = trimBlanks(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    t.remove_prefix(1);
    auto close = t.find(']');
    if (close != std::string_view::npos) t = t.substr(0, close);
    return std::string(trimBlanks(t));
}

std::optional<std::pair<std::string, std::string>> iniKeyValue(std::string_view line) {
    auto t = trimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    auto key = trimBlanks(t.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return std::make_pair(std::string(key), std::string(trimBlanks(t.substr(eq + 1))));
}

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument doc;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto nl = text.find('\n', pos);
        Line line;
        if (nl == std::string_view::npos) {
            line.content = std::string(text.substr(pos));
            pos = text.size();
        } else {
            bool cr = nl > pos && text[nl - 1] == '\r';
            line.content = std::string(text.substr(pos, nl - pos - (cr ? 1 : 0)));
            line.ending = cr ? "\r\n" : "\n";
            pos = nl + 1;
        }
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

std::vector<IniDocument::Span> IniDocument::sections(std::string_view name) const {
    std::vector<Span> found;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto header = iniSectionName(lines_[i].content);
        if (!header || !equalsIgnoreAsciiCase(*header, name)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !iniSectionName(lines_[end].content)) ++end;
        found.push_back({i, end});
    }
    return found;
}

std::optional<std::size_t> IniDocument::findKey(const Span& span, std::string_view key) const {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        auto kv = iniKeyValue(lines_[i].content);
        if (kv && equalsIgnoreAsciiCase(kv->first, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
    auto spans = sections(section);
    if (spans.empty()) return std::nullopt;
    auto index = findKey(spans.front(), key);
    if (!index) return std::nullopt;
    return cutToChars(unquote(iniKeyValue(lines_[*index].content)->second), kMaxValueChars);
}

bool IniDocument::hasSection(std::string_view section) const {
    return !sections(section).empty();
}

std::vector<std::pair<std::string, std::string>> IniDocument::rawEntries(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> out;
    auto spans = sections(section);
    if (spans.empty()) return out;
    for (std::size_t i = spans.front().header + 1; i < spans.front().end; ++i)
        if (auto kv = iniKeyValue(lines_[i].content)) out.push_back(std::move(*kv));
    return out;
}

std::string IniDocument::lineEnding() const {
    for (const auto& line : lines_)
        if (!line.ending.empty()) return line.ending;
    return "\n";
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    setRaw(section, key, oneLine(value));
}

void IniDocument::setRaw(std::string_view section, std::string_view key,
                         std::string_view rawValue) {
    std::string eol = lineEnding();
    std::string safeKey = oneLine(key);
    std::string entry = safeKey + "=" + oneLine(rawValue);
    auto spans = sections(section);
    if (spans.empty()) {
        if (!lines_.empty() && lines_.back().ending.empty()) lines_.back().ending = eol;
        lines_.push_back({"[" + oneLine(section) + "]", eol});
        lines_.push_back({entry, eol});
        return;
    }
    const Span& span = spans.front();
    if (auto index = findKey(span, safeKey)) {
        auto kv = iniKeyValue(lines_[*index].content);
        lines_[*index].content = kv->first + "=" + oneLine(rawValue);
        return;
    }
    // After the section's last key, so that blank lines and comments that close it stay there.
    std::size_t insertAt = span.header + 1;
    for (std::size_t i = span.header + 1; i < span.end; ++i)
        if (iniKeyValue(lines_[i].content)) insertAt = i + 1;
    if (lines_[insertAt - 1].ending.empty()) lines_[insertAt - 1].ending = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{entry, eol});
}

void IniDocument::removeKey(std::string_view section, std::string_view key) {
    auto spans = sections(section);
    if (spans.empty()) return;
    const Span& span = spans.front();
    for (std::size_t i = span.end; i-- > span.header + 1;) {
        auto kv = iniKeyValue(lines_[i].content);
        if (kv && equalsIgnoreAsciiCase(kv->first, key))
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void IniDocument::replaceSection(std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>>& entries) {
    auto spans = sections(section);
    if (!spans.empty()) {
        const Span& span = spans.front();
        for (std::size_t i = span.end; i-- > span.header + 1;)
            if (iniKeyValue(lines_[i].content))
                lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (const auto& [key, value] : entries) setRaw(section, key, value);
}

void IniDocument::removeSection(std::string_view section) {
    // Every copy goes: after an erase, no stale duplicate may surface as the section.
    auto spans = sections(section);
    for (auto it = spans.rbegin(); it != spans.rend(); ++it)
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(it->header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(it->end));
}

std::string IniDocument::text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line.content;
        out += line.ending;
    }
    return out;
}

}  // namespace ostrevin
