#include "platform/x11/keymap_model.h"

#include <xkbcommon/xkbcommon.h>

#include <cstring>

namespace ostrevin::platform {

namespace {

struct NamedKey {
    std::uint32_t keysym;
    std::uint8_t vk;
};

// Keys named by their symbol. Left and right modifiers are told apart as Windows does; the
// generic Shift, Ctrl and Alt codes go to the left-hand keys.
constexpr NamedKey kNamed[] = {
    {0xff0d, 0x0D}, {0xff09, 0x09}, {0xff08, 0x08}, {0xff1b, 0x1B}, {0x0020, 0x20}, {0xff55, 0x21},
    {0xff56, 0x22}, {0xff57, 0x23}, {0xff50, 0x24}, {0xff51, 0x25}, {0xff52, 0x26}, {0xff53, 0x27},
    {0xff54, 0x28}, {0xff61, 0x2C}, {0xff63, 0x2D}, {0xffff, 0x2E}, {0xffe1, 0x10}, {0xffe2, 0xA1},
    {0xffe3, 0x11}, {0xffe4, 0xA3}, {0xffe9, 0x12}, {0xffea, 0xA5}, {0xffe5, 0x14}, {0xff7f, 0x90},
    {0xff14, 0x91}, {0xff13, 0x13}, {0xff67, 0x5D}, {0xffeb, 0x5B}, {0xffec, 0x5C}, {0xffaa, 0x6A},
    {0xffab, 0x6B}, {0xffad, 0x6D}, {0xffae, 0x6E}, {0xffaf, 0x6F},
};

struct PositionKey {
    const char* name;
    std::uint8_t vk;
};

// Where a layout's own symbols say nothing (digits under French symbols, letters of other
// scripts, punctuation), the key's place on the keyboard decides, as on the US layout.
constexpr PositionKey kPositions[] = {
    {"AE01", '1'},  {"AE02", '2'},  {"AE03", '3'},  {"AE04", '4'},  {"AE05", '5'},  {"AE06", '6'},
    {"AE07", '7'},  {"AE08", '8'},  {"AE09", '9'},  {"AE10", '0'},  {"AD01", 'Q'},  {"AD02", 'W'},
    {"AD03", 'E'},  {"AD04", 'R'},  {"AD05", 'T'},  {"AD06", 'Y'},  {"AD07", 'U'},  {"AD08", 'I'},
    {"AD09", 'O'},  {"AD10", 'P'},  {"AC01", 'A'},  {"AC02", 'S'},  {"AC03", 'D'},  {"AC04", 'F'},
    {"AC05", 'G'},  {"AC06", 'H'},  {"AC07", 'J'},  {"AC08", 'K'},  {"AC09", 'L'},  {"AB01", 'Z'},
    {"AB02", 'X'},  {"AB03", 'C'},  {"AB04", 'V'},  {"AB05", 'B'},  {"AB06", 'N'},  {"AB07", 'M'},
    {"AC10", 0xBA}, {"AE12", 0xBB}, {"AB08", 0xBC}, {"AE11", 0xBD}, {"AB09", 0xBE}, {"AB10", 0xBF},
    {"TLDE", 0xC0}, {"AD11", 0xDB}, {"BKSL", 0xDC}, {"AD12", 0xDD}, {"AC11", 0xDE}, {"LSGT", 0xE2},
};

// Virtual-key codes that Windows leaves unassigned or to the manufacturer.
bool isPoolKey(std::uint8_t vk) {
    return (vk >= 0x88 && vk <= 0x8F) || (vk >= 0x97 && vk <= 0x9F) || (vk >= 0xC1 && vk <= 0xDA) ||
           (vk >= 0xE8 && vk <= 0xF5);
}

constexpr std::uint32_t kReturnKeysym = 0xff0d;

bool isKeypadKeysym(std::uint32_t sym) {
    return sym >= 0xff80 && sym <= 0xffbd;
}

}  // namespace

char32_t KeymapModel::keysymToChar(std::uint32_t keysym) {
    if (keysym == 0) return 0;
    return xkb_keysym_to_utf32(keysym);
}

std::uint32_t KeymapModel::charToKeysym(char32_t ch) {
    switch (ch) {
        case U'\r':
        case U'\n': return 0xff0d;  // Return
        case U'\t': return 0xff09;
        case U'\b': return 0xff08;
        case 0x1B: return 0xff1b;
        default: break;
    }
    if (ch < 0x20 || ch == 0x7F || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) return 0;
    return xkb_utf32_to_keysym(ch);
}

bool KeymapModel::bind(std::uint8_t keycode, std::uint8_t vk) {
    if (vkOfKeycode_[keycode] != 0 || keycodeOfVk_[vk] != 0) return false;
    vkOfKeycode_[keycode] = vk;
    keycodeOfVk_[vk] = keycode;
    return true;
}

void KeymapModel::load(const std::vector<KeySnapshot>& keys, std::uint8_t level3Keycode) {
    vkOfKeycode_.fill(0);
    keycodeOfVk_.fill(0);
    for (auto& s : syms_) s.fill(0);
    chars_.clear();
    empty_.clear();
    level3_ = level3Keycode;
    for (const auto& key : keys) syms_[key.keycode] = key.syms;

    assignNamedKeys(keys);
    assignAlphanumeric(keys);
    assignByPosition(keys);
    assignRest(keys);

    // Characters: the lowest level wins, and the main keys over the keypad.
    const int levels = level3_ ? 4 : 2;
    for (int pass = 0; pass < 2; ++pass) {
        for (int level = 0; level < levels; ++level) {
            for (const auto& key : keys) {
                if (key.keypad != (pass == 1)) continue;
                const std::uint32_t sym = key.syms[static_cast<std::size_t>(level)];
                if (isKeypadKeysym(sym) && pass == 0) continue;
                const char32_t ch = keysymToChar(sym);
                if (ch != 0) chars_.emplace(ch, KeyPlace{key.keycode, level});
            }
        }
    }
    // A line break is the Return key, whatever else the layout has (a Linefeed key also gives
    // U+000A, but many programs do not take it for a new line).
    for (const auto& key : keys) {
        if (key.syms[0] != kReturnKeysym) continue;
        chars_[U'\r'] = chars_[U'\n'] = KeyPlace{key.keycode, 0};
        break;
    }
    for (const auto& key : keys) {
        bool none = true;
        for (auto sym : key.syms) none = none && sym == 0;
        if (none && key.keycode > 8) empty_.push_back(key.keycode);
    }
}

void KeymapModel::assignNamedKeys(const std::vector<KeySnapshot>& keys) {
    for (const auto& key : keys) {
        for (const auto& named : kNamed)
            if (key.syms[0] == named.keysym) bind(key.keycode, named.vk);
        if (key.syms[0] >= 0xffbe && key.syms[0] <= 0xffd5)  // F1 to F24
            bind(key.keycode, static_cast<std::uint8_t>(0x70 + key.syms[0] - 0xffbe));
        for (auto sym : key.syms)
            if (sym >= 0xffb0 && sym <= 0xffb9)  // KP_0 to KP_9
                bind(key.keycode, static_cast<std::uint8_t>(0x60 + sym - 0xffb0));
    }
}

void KeymapModel::assignAlphanumeric(const std::vector<KeySnapshot>& keys) {
    for (const auto& key : keys) {
        if (key.keypad) continue;
        const std::uint32_t sym = key.syms[0];
        if (sym >= 'a' && sym <= 'z')
            bind(key.keycode, static_cast<std::uint8_t>(sym - 'a' + 'A'));
        else if (sym >= 'A' && sym <= 'Z')
            bind(key.keycode, static_cast<std::uint8_t>(sym));
        else if (sym >= '0' && sym <= '9')
            bind(key.keycode, static_cast<std::uint8_t>(sym));
    }
}

void KeymapModel::assignByPosition(const std::vector<KeySnapshot>& keys) {
    for (const auto& key : keys)
        for (const auto& pos : kPositions)
            if (key.name == pos.name) bind(key.keycode, pos.vk);
}

void KeymapModel::assignRest(const std::vector<KeySnapshot>& keys) {
    for (const auto& key : keys) {
        if (vkOfKeycode_[key.keycode] != 0 || key.keypad) continue;
        if (keysymToChar(key.syms[0]) == 0 && keysymToChar(key.syms[1]) == 0) continue;
        const std::uint8_t vk = nextFreePoolKey();
        if (vk == 0) return;
        bind(key.keycode, vk);
    }
}

std::uint8_t KeymapModel::nextFreePoolKey() const {
    for (int vk = 0x88; vk <= 0xF5; ++vk)
        if (isPoolKey(static_cast<std::uint8_t>(vk)) && keycodeOfVk_[vk] == 0)
            return static_cast<std::uint8_t>(vk);
    return 0;
}

std::uint8_t KeymapModel::assignSpareVirtualKey(std::uint8_t keycode) {
    if (vkOfKeycode_[keycode] != 0) return vkOfKeycode_[keycode];
    const std::uint8_t vk = nextFreePoolKey();
    if (vk != 0) bind(keycode, vk);
    return vk;
}

std::optional<KeyPlace> KeymapModel::find(char32_t ch) const {
    auto it = chars_.find(ch);
    if (it == chars_.end()) return std::nullopt;
    return it->second;
}

std::uint8_t KeymapModel::virtualKeyFor(std::uint8_t keycode) const {
    return vkOfKeycode_[keycode];
}
std::uint8_t KeymapModel::keycodeFor(std::uint8_t virtualKey) const {
    return keycodeOfVk_[virtualKey];
}
std::uint32_t KeymapModel::keysymAt(std::uint8_t keycode, int level) const {
    return syms_[keycode][static_cast<std::size_t>(level & 3)];
}

}  // namespace ostrevin::platform
