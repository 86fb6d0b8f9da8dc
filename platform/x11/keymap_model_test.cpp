#include "platform/x11/keymap_model.h"

#include <gtest/gtest.h>

namespace ostrevin::platform {
namespace {

constexpr std::uint32_t kReturn = 0xff0d, kShiftL = 0xffe1, kLevel3 = 0xfe03, kEuro = 0x20ac,
                        kOmega = 0x7d9, kDeadCircumflex = 0xfe52, kKpEnd = 0xff9c, kKp1 = 0xffb1;

KeySnapshot key(std::uint8_t code, const char* name, std::array<std::uint32_t, 4> syms,
                bool keypad = false) {
    return {code, name, syms, keypad};
}

// A few keys of each layout, at their evdev keycodes.
std::vector<KeySnapshot> common() {
    return {key(8, "", {}),
            key(109, "LNFD", {0xff0a}),
            key(36, "RTRN", {kReturn}),
            key(50, "LFSH", {kShiftL}),
            key(93, "", {}),
            key(97, "", {}),
            key(87, "KP1", {kKpEnd, kKp1}, true),
            key(65, "SPCE", {' '})};
}

std::vector<KeySnapshot> us() {
    auto keys = common();
    keys.push_back(key(38, "AC01", {'a', 'A'}));
    keys.push_back(key(10, "AE01", {'1', '!'}));
    keys.push_back(key(47, "AC10", {';', ':'}));
    keys.push_back(key(24, "AD01", {'q', 'Q'}));
    return keys;
}

std::vector<KeySnapshot> german() {
    auto keys = common();
    keys.push_back(key(29, "AD06", {'z', 'Z'}));
    keys.push_back(key(52, "AB01", {'y', 'Y'}));
    keys.push_back(key(24, "AD01", {'q', 'Q', '@', kOmega}));
    keys.push_back(key(26, "AD03", {'e', 'E', kEuro, kEuro}));
    keys.push_back(key(49, "TLDE", {kDeadCircumflex, 0xb0}));
    keys.push_back(key(47, "AC10", {0xf6, 0xd6}));
    keys.push_back(key(108, "RALT", {kLevel3}));
    return keys;
}

std::vector<KeySnapshot> french() {
    auto keys = common();
    keys.push_back(key(10, "AE01", {'&', '1'}));
    keys.push_back(key(11, "AE02", {0xe9, '2', '~'}));
    keys.push_back(key(24, "AD01", {'a', 'A'}));
    keys.push_back(key(47, "AC10", {'m', 'M'}));
    keys.push_back(key(58, "AB07", {',', '?'}));
    keys.push_back(key(108, "RALT", {kLevel3}));
    return keys;
}

std::uint8_t level3Of(const std::vector<KeySnapshot>& keys) {
    for (const auto& k : keys)
        if (k.syms[0] == kLevel3) return k.keycode;
    return 0;
}

TEST(KeymapModel, FindsCharactersAndTheirVirtualKeys) {
    struct Case {
        const char* layout;
        char32_t ch;
        int keycode;  // 0: the layout cannot type it
        int level;
        int vk;
    };
    const Case cases[] = {
        {"us", U'a', 38, 0, 'A'},  {"us", U'A', 38, 1, 'A'},   {"us", U'!', 10, 1, '1'},
        {"us", U';', 47, 0, 0xBA}, {"us", U'\r', 36, 0, 0x0D}, {"us", U'\n', 36, 0, 0x0D},
        {"us", U' ', 65, 0, 0x20}, {"us", U'@', 0, 0, 0},      {"us", U'é', 0, 0, 0},
        {"de", U'z', 29, 0, 'Z'},  {"de", U'y', 52, 0, 'Y'},   {"de", U'@', 24, 2, 'Q'},
        {"de", U'Ω', 24, 3, 'Q'},  {"de", U'€', 26, 2, 'E'},   {"de", U'^', 0, 0, 0},
        {"de", U'ö', 47, 0, 0xBA}, {"de", U'°', 49, 1, 0xC0},  {"fr", U'1', 10, 1, '1'},
        {"fr", U'&', 10, 0, '1'},  {"fr", U'é', 11, 0, '2'},   {"fr", U'~', 11, 2, '2'},
        {"fr", U'm', 47, 0, 'M'},
    };
    for (const auto& c : cases) {
        const std::string layout = c.layout;
        const auto keys = layout == "us" ? us() : layout == "de" ? german() : french();
        KeymapModel model;
        model.load(keys, level3Of(keys));
        const auto place = model.find(c.ch);
        const std::string what = layout + " U+" + std::to_string(static_cast<int>(c.ch));
        if (c.keycode == 0) {
            EXPECT_FALSE(place) << what;
            continue;
        }
        ASSERT_TRUE(place) << what;
        EXPECT_EQ(place->keycode, c.keycode) << what;
        EXPECT_EQ(place->level, c.level) << what;
        EXPECT_EQ(model.virtualKeyFor(place->keycode), c.vk) << what;
        EXPECT_EQ(model.keycodeFor(static_cast<std::uint8_t>(c.vk)), c.keycode) << what;
    }
}

TEST(KeymapModel, KeypadDigitsKeepTheirOwnKeysAndNeverWinOverTheMainRow) {
    KeymapModel model;
    model.load(us(), 0);
    EXPECT_EQ(model.virtualKeyFor(87), 0x61);
    EXPECT_EQ(model.find(U'1')->keycode, 10);
}

TEST(KeymapModel, WithoutAnAltGrKeyTheUpperLevelsCannotBeTyped) {
    KeymapModel model;
    model.load(german(), 0);
    EXPECT_FALSE(model.find(U'@'));
    EXPECT_TRUE(model.find(U'Q'));
}

TEST(KeymapModel, KeysWithoutAStandardCodeAndLentKeysGetDistinctUnusedCodes) {
    KeymapModel model;
    model.load(french(), level3Of(french()));
    const std::uint8_t comma = model.virtualKeyFor(58);  // "M" is taken by the m key
    EXPECT_GE(comma, 0x88);                              // from the codes Windows leaves unassigned
    EXPECT_EQ(model.keycodeFor(comma), 58);
    EXPECT_EQ(model.emptyKeycodes(), (std::vector<std::uint8_t>{93, 97}));
    const std::uint8_t first = model.assignSpareVirtualKey(93);
    const std::uint8_t second = model.assignSpareVirtualKey(97);
    EXPECT_NE(first, 0);
    EXPECT_NE(first, second);
    EXPECT_NE(first, comma);
    EXPECT_EQ(model.assignSpareVirtualKey(93), first);
    EXPECT_EQ(model.keycodeFor(second), 97);
}

TEST(KeymapModel, FunctionKeysF1ToF24HaveTheirVirtualKeys) {
    // The evdev keycodes of the function keys: F11 and F12 and the F13 row lie apart from F1.
    auto keys = us();
    std::vector<std::uint8_t> keycodes;
    for (int i = 0; i < 24; ++i) {
        const int kc = i < 10 ? 67 + i : i < 12 ? 95 + (i - 10) : 191 + (i - 12);
        keycodes.push_back(static_cast<std::uint8_t>(kc));
        keys.push_back(key(static_cast<std::uint8_t>(kc), "", {0xffbeu + i}));
    }
    KeymapModel model;
    model.load(keys, 0);
    for (int i = 0; i < 24; ++i) {
        const auto vk = static_cast<std::uint8_t>(0x70 + i);
        EXPECT_EQ(model.keycodeFor(vk), keycodes[static_cast<std::size_t>(i)]) << "F" << i + 1;
        EXPECT_EQ(model.virtualKeyFor(keycodes[static_cast<std::size_t>(i)]), vk) << "F" << i + 1;
    }
}

TEST(KeymapModel, CharacterToKeysym) {
    EXPECT_EQ(KeymapModel::charToKeysym(U'a'), 'a');
    EXPECT_EQ(KeymapModel::charToKeysym(U'é'), 0xe9u);
    EXPECT_EQ(KeymapModel::charToKeysym(U'\n'), kReturn);
    EXPECT_EQ(KeymapModel::charToKeysym(U'\x02'), 0u);
    EXPECT_EQ(KeymapModel::keysymToChar(kEuro), U'€');
    EXPECT_EQ(KeymapModel::keysymToChar(kDeadCircumflex), 0u);
}

}  // namespace
}  // namespace ostrevin::platform
