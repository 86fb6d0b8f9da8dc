#include "platform/wayland/xkb_keymap_text.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

namespace ostrevin::platform {
namespace {

struct Compiled {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    explicit Compiled(const std::string& text) {
        // No include path: the text must stand on its own, as the compositor gets it.
        xkb_context* bare = xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES);
        keymap = xkb_keymap_new_from_string(bare, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
        xkb_context_unref(bare);
    }
    ~Compiled() {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }
};

std::vector<KeySnapshot> layoutKeys(const char* layout = "us") {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    auto keys = keysOfKeymap(keymap);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return keys;
}

// A key typed with the given modifiers gives the expected symbol in the uploaded map: the user's
// keys keep their levels and modifiers, lent keys give their character plainly.
TEST(ComposeKeymap, KeepsTheUsersKeysAndAddsLentOnes) {
    auto keys = layoutKeys();
    ASSERT_EQ(keys.size(), 248u);
    KeymapModel model;
    model.load(keys, 0);
    ASSERT_FALSE(model.emptyKeycodes().empty());
    const std::uint8_t lentEuro = model.emptyKeycodes().front();
    const std::uint8_t lentDash = model.emptyKeycodes().back();  // beyond the layout's own keys
    for (KeySnapshot& key : keys) {
        if (key.keycode == lentEuro) key.syms = {0x20ac, 0, 0, 0};
        if (key.keycode == lentDash) key.syms = {0x1002014, 0, 0, 0};
    }
    Compiled compiled(composeKeymap(keys));
    ASSERT_NE(compiled.keymap, nullptr);
    struct Case {
        std::uint8_t keycode;
        const char* modifier;  // held while the key is looked up
        std::uint32_t expected;
    };
    const Case cases[] = {
        {38, nullptr, 'a'},
        {38, XKB_MOD_NAME_SHIFT, 'A'},
        {10, XKB_MOD_NAME_SHIFT, '!'},
        {36, nullptr, 0xff0d},
        {lentEuro, nullptr, 0x20ac},
        {lentEuro, XKB_MOD_NAME_SHIFT, 0x20ac},
        {lentDash, nullptr, 0x1002014},
        {50, nullptr, 0xffe1},
    };
    for (const Case& c : cases) {
        xkb_state* state = xkb_state_new(compiled.keymap);
        if (c.modifier) {
            const xkb_mod_index_t index = xkb_keymap_mod_get_index(compiled.keymap, c.modifier);
            xkb_state_update_mask(state, 1u << index, 0, 0, 0, 0, 0);
        }
        EXPECT_EQ(xkb_state_key_get_one_sym(state, c.keycode), c.expected) << int(c.keycode);
        xkb_state_unref(state);
    }
    // The modifier keys still set their modifiers, which is what the compositor reports.
    xkb_state* state = xkb_state_new(compiled.keymap);
    xkb_state_update_key(state, 37, XKB_KEY_DOWN);  // Control_L
    EXPECT_EQ(xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE), 1);
    xkb_state_unref(state);
}

TEST(ComposeKeymap, ReadsBackWhatItWrites) {
    const auto keys = layoutKeys();
    Compiled compiled(composeKeymap(keys));
    ASSERT_NE(compiled.keymap, nullptr);
    const auto again = keysOfKeymap(compiled.keymap);
    ASSERT_EQ(again.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(again[i].syms, keys[i].syms) << int(keys[i].keycode);
}

// Hot keys are bound by the names of the user's own keys: the same stored virtual key names the
// key at the same place on another layout.
TEST(KeysymNameOf, NamesKeysAsTheUsersLayoutDoes) {
    struct Case {
        const char* layout;
        std::uint8_t vk;
        const char* name;
    };
    const Case cases[] = {{"us", 'A', "a"},           {"us", 0x74, "F5"},
                          {"us", 0xBA, "semicolon"},  {"us", 0x0D, "Return"},
                          {"de", 0xBA, "odiaeresis"}, {"de", 'Z', "z"},
                          {"fr", 'Q', "q"},           {"us", 0xFE, ""}};
    for (const Case& c : cases) {
        KeymapModel model;
        model.load(layoutKeys(c.layout), 0);
        EXPECT_EQ(keysymNameOf(model, c.vk), c.name) << c.layout << " " << int(c.vk);
    }
}

}  // namespace
}  // namespace ostrevin::platform
