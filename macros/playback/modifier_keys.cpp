#include "macros/playback/modifier_keys.h"

#include "common/text.h"

namespace keyloom {

namespace {

struct Modifier {
    const char* token;
    const char* prefix;
};

constexpr Modifier kModifiers[] = {
    {"<<CTRL>>", "^"},      {"<<ALT>>", "@"},         {"<<SHIFT>>", "~"},
    {"<<CTRL+ALT>>", "^@"}, {"<<CTRL+SHIFT>>", "^~"}, {"<<SHIFT+ALT>>", "~@"},
};

struct SpecialKey {
    const char* token;
    const char* name;
};

// "<<PRINTSCREEN>>" is not here: it takes no modifier.
constexpr SpecialKey kSpecialKeys[] = {
    {"<<ENTER>>", "ENTER"},    {"<<F1>>", "F1"},         {"<<F2>>", "F2"},
    {"<<F3>>", "F3"},          {"<<F4>>", "F4"},         {"<<F5>>", "F5"},
    {"<<F6>>", "F6"},          {"<<F7>>", "F7"},         {"<<F8>>", "F8"},
    {"<<F9>>", "F9"},          {"<<F10>>", "F10"},       {"<<F11>>", "F11"},
    {"<<F12>>", "F12"},        {"<<ESC>>", "ESC"},       {"<<TAB>>", "TAB"},
    {"<<BACKSPACE>>", "BKSP"}, {"<<INSERT>>", "INSERT"}, {"<<DELETE>>", "DELETE"},
    {"<<HOME>>", "HOME"},      {"<<END>>", "END"},       {"<<PAGEUP>>", "PGUP"},
    {"<<PAGEDOWN>>", "PGDN"},  {"<<UP>>", "UP"},         {"<<DOWN>>", "DOWN"},
    {"<<LEFT>>", "LEFT"},      {"<<RIGHT>>", "RIGHT"},
};

}  // namespace

ModifierToken findModifierToken(std::string_view text) {
    for (int i = 0; i < 6; ++i) {
        std::string_view token = kModifiers[i].token;
        if (ostrevin::startsWithIgnoreAsciiCase(text, token)) return {i + 1, token.size()};
    }
    return {};
}

std::string_view modifierPrefix(int index) {
    return index >= 1 && index <= 6 ? kModifiers[index - 1].prefix : "";
}

std::string runModifierToken(std::string_view text, const ModifierToken& token,
                             KeyStringSender& sender) {
    std::string_view rest = text.substr(token.length);
    if (rest.substr(0, 2) == "<<") return SendModifiedKey(rest, token.index, sender);
    const std::size_t charLength = ostrevin::firstCharLength(rest);
    sender.Send(std::string(modifierPrefix(token.index)) + std::string(rest.substr(0, charLength)));
    return std::string(rest.substr(charLength));
}

std::string SendModifiedKey(std::string_view text, int index, KeyStringSender& sender) {
    for (const auto& key : kSpecialKeys) {
        std::string_view token = key.token;
        if (!ostrevin::startsWithIgnoreAsciiCase(text, token)) continue;
        if (index >= 1 && index <= 6)
            sender.Send(std::string(modifierPrefix(index)) + "{" + key.name + "}");
        return std::string(text.substr(token.size()));
    }
    return std::string(text.substr(2));
}

}  // namespace keyloom
