#include "common/shell_words.h"

namespace ostrevin {

std::optional<std::vector<std::string>> splitShellWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    enum class Quote { None, Single, Double } quote = Quote::None;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote == Quote::Single) {
            if (c == '\'')
                quote = Quote::None;
            else
                word += c;
        } else if (quote == Quote::Double) {
            if (c == '"') {
                quote = Quote::None;
            } else if (c == '\\' && i + 1 < text.size() &&
                       std::string_view("\"\\$`").find(text[i + 1]) != std::string_view::npos) {
                word += text[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == '\'')
                quote = Quote::Single;
            else if (c == '"')
                quote = Quote::Double;
            else if (c == '\\' && i + 1 < text.size())
                word += text[++i];
            else
                word += c;
        }
    }
    if (quote != Quote::None) return std::nullopt;
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace ostrevin
