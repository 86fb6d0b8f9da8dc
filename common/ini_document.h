// The text of one INI file, held as its original lines so that an edit touches only the lines
// it must: comments, blank lines, unknown keys and the order of everything else stay as written.
// Sections are found through an index by name, so reading or writing n sections costs about n,
// not n squared: a catalogue of thousands of macros lists as fast as its file reads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ostrevin {

class IniDocument {
  public:
    static constexpr std::size_t kMaxValueChars = 1023;

    static IniDocument parse(std::string_view text);

    // The value as the private-profile functions return it: blanks around it and one pair of
    // matching quotes dropped, cut to 1023 characters. The first section and the first key of a
    // name win, names compared without regard to ASCII case.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;
    // Every key of the first section of that name, in file order, with the values as written
    // (blanks around them dropped); used to move a section's content whole.
    std::vector<std::pair<std::string, std::string>> rawEntries(std::string_view section) const;

    void set(std::string_view section, std::string_view key, std::string_view value);
    void setRaw(std::string_view section, std::string_view key, std::string_view rawValue);
    void removeKey(std::string_view section, std::string_view key);
    // The section keeps its place in the file and takes exactly the given keys and raw values.
    void replaceSection(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& entries);
    void removeSection(std::string_view section);

    std::string text() const;

  private:
    struct Line {
        std::string content;      // without its line ending
        std::string_view ending;  // "\n", "\r\n" or "" for a last line without one (literals)
    };
    // lines[0] is the "[name]" header; the rest belong to the section up to the next header.
    struct Section {
        std::vector<Line> lines;
        bool removed = false;  // kept in place so that the index stays valid
    };

    Section* first(std::string_view name);
    const Section* first(std::string_view name) const;
    static std::optional<std::size_t> findKey(const Section& section, std::string_view key);
    Line* lastLine();
    void appendSection(std::string_view name);

    std::vector<Line> prelude_;  // lines before the first section
    std::vector<Section> sections_;
    // Names compared without regard to ASCII case, looked up without copying the name.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const;
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // Name -> positions in sections_ of the live sections of that name, in file order.
    std::unordered_map<std::string, std::vector<std::size_t>, NameHash, NameEqual> index_;
    std::string_view eol_ = "\n";  // the file's own line ending, for lines we add
};

// Parsing helpers shared with the store's tests.
std::optional<std::string> iniSectionName(std::string_view line);
std::optional<std::pair<std::string, std::string>> iniKeyValue(std::string_view line);

}  // namespace ostrevin
