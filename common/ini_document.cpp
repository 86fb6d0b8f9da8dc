#include "common/ini_document.h"

#include "common/text.h"

namespace ostrevin {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimBlanks(std::string_view s) {
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

// The key of a "key=value" line, without copying; nothing for comments, headers and junk.
std::optional<std::string_view> lineKey(std::string_view line) {
    auto t = trimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    auto key = trimBlanks(t.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return key;
}

std::string_view lineValue(std::string_view line) {
    return trimBlanks(line.substr(line.find('=') + 1));
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
    auto key = lineKey(line);
    if (!key) return std::nullopt;
    return std::make_pair(std::string(*key), std::string(lineValue(line)));
}

std::size_t IniDocument::NameHash::operator()(std::string_view name) const {
    std::size_t h = 14695981039346656037ull;  // FNV-1a over the upper-cased bytes
    for (char c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return h;
}

bool IniDocument::NameEqual::operator()(std::string_view a, std::string_view b) const {
    return equalsIgnoreAsciiCase(a, b);
}

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument doc;
    bool endingKnown = false;
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
            if (!endingKnown) doc.eol_ = line.ending, endingKnown = true;
        }
        if (auto name = iniSectionName(line.content)) {
            doc.index_[std::move(*name)].push_back(doc.sections_.size());
            doc.sections_.push_back({{std::move(line)}, false});
        } else if (doc.sections_.empty()) {
            doc.prelude_.push_back(std::move(line));
        } else {
            doc.sections_.back().lines.push_back(std::move(line));
        }
    }
    return doc;
}

IniDocument::Section* IniDocument::first(std::string_view name) {
    auto it = index_.find(name);
    return it == index_.end() || it->second.empty() ? nullptr : &sections_[it->second.front()];
}

const IniDocument::Section* IniDocument::first(std::string_view name) const {
    return const_cast<IniDocument*>(this)->first(name);
}

std::optional<std::size_t> IniDocument::findKey(const Section& section, std::string_view key) {
    for (std::size_t i = 1; i < section.lines.size(); ++i) {
        auto k = lineKey(section.lines[i].content);
        if (k && equalsIgnoreAsciiCase(*k, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
    const Section* sec = first(section);
    if (!sec) return std::nullopt;
    auto index = findKey(*sec, key);
    if (!index) return std::nullopt;
    return cutToChars(unquote(lineValue(sec->lines[*index].content)), kMaxValueChars);
}

bool IniDocument::hasSection(std::string_view section) const {
    return first(section) != nullptr;
}

std::vector<std::pair<std::string, std::string>> IniDocument::rawEntries(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> out;
    if (const Section* sec = first(section))
        for (std::size_t i = 1; i < sec->lines.size(); ++i)
            if (auto kv = iniKeyValue(sec->lines[i].content)) out.push_back(std::move(*kv));
    return out;
}

IniDocument::Line* IniDocument::lastLine() {
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it)
        if (!it->removed) return &it->lines.back();
    return prelude_.empty() ? nullptr : &prelude_.back();
}

void IniDocument::appendSection(std::string_view name) {
    if (Line* last = lastLine(); last && last->ending.empty()) last->ending = eol_;
    const std::string safe = oneLine(name);
    auto it = index_.find(std::string_view(safe));
    if (it == index_.end()) it = index_.emplace(safe, std::vector<std::size_t>{}).first;
    it->second.push_back(sections_.size());
    sections_.push_back({{Line{"[" + safe + "]", eol_}}, false});
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    setRaw(section, key, oneLine(value));
}

void IniDocument::setRaw(std::string_view section, std::string_view key,
                         std::string_view rawValue) {
    const std::string safeKey = oneLine(key);
    Section* sec = first(section);
    if (!sec) {
        appendSection(section);
        sec = &sections_.back();
    }
    if (auto index = findKey(*sec, safeKey)) {
        Line& line = sec->lines[*index];
        line.content = std::string(*lineKey(line.content)) + "=" + oneLine(rawValue);
        return;
    }
    // After the section's last key, so that blank lines and comments that close it stay there.
    std::size_t insertAt = 1;
    for (std::size_t i = 1; i < sec->lines.size(); ++i)
        if (lineKey(sec->lines[i].content)) insertAt = i + 1;
    if (sec->lines[insertAt - 1].ending.empty()) sec->lines[insertAt - 1].ending = eol_;
    sec->lines.insert(sec->lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                      Line{safeKey + "=" + oneLine(rawValue), eol_});
}

void IniDocument::removeKey(std::string_view section, std::string_view key) {
    Section* sec = first(section);
    if (!sec) return;
    // Every copy in the section goes, so that no later duplicate surfaces as the value.
    for (std::size_t i = sec->lines.size(); i-- > 1;) {
        auto k = lineKey(sec->lines[i].content);
        if (k && equalsIgnoreAsciiCase(*k, key))
            sec->lines.erase(sec->lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void IniDocument::replaceSection(std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>>& entries) {
    Section* sec = first(section);
    if (!sec) {
        if (entries.empty()) return;
        appendSection(section);
        sec = &sections_.back();
    }
    std::vector<Line> kept{sec->lines.front()};
    for (std::size_t i = 1; i < sec->lines.size(); ++i)
        if (!lineKey(sec->lines[i].content)) kept.push_back(std::move(sec->lines[i]));
    if (kept.front().ending.empty() && (kept.size() > 1 || !entries.empty()))
        kept.front().ending = eol_;
    // Appended in order, duplicates included: a key given twice reads as its first value, as
    // it did where it came from.
    std::vector<Line> added;
    for (const auto& [key, value] : entries)
        added.push_back({oneLine(key) + "=" + oneLine(value), eol_});
    // Keys go after the header and before the comments and blank lines that closed the section.
    kept.insert(kept.begin() + 1, added.begin(), added.end());
    sec->lines = std::move(kept);
}

void IniDocument::removeSection(std::string_view section) {
    // Every copy goes: after an erase, no stale duplicate may surface as the section.
    auto it = index_.find(section);
    if (it == index_.end()) return;
    for (std::size_t position : it->second) {
        sections_[position].removed = true;
        sections_[position].lines.clear();
    }
    index_.erase(it);
}

std::string IniDocument::text() const {
    std::string out;
    out.reserve(64 * sections_.size());
    auto emit = [&out](const std::vector<Line>& lines) {
        for (const auto& line : lines) {
            out += line.content;
            out += line.ending;
        }
    };
    emit(prelude_);
    for (const auto& sec : sections_)
        if (!sec.removed) emit(sec.lines);
    return out;
}

}  // namespace ostrevin
