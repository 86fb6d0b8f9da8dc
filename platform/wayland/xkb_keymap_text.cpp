#include "platform/wayland/xkb_keymap_text.h"

#include <xkbcommon/xkbcommon.h>

#include <cctype>
#include <memory>

namespace ostrevin::platform {

namespace {

constexpr int kMinKeycode = 8, kMaxKeycode = 255;

std::string keysymName(std::uint32_t sym) {
    if (sym == 0) return "NoSymbol";
    char name[64];
    if (xkb_keysym_get_name(sym, name, sizeof name) < 0) return "NoSymbol";
    return name;
}

bool isCasePair(std::uint32_t lower, std::uint32_t upper) {
    return lower != upper && xkb_keysym_to_upper(lower) == upper &&
           xkb_keysym_to_lower(upper) == lower;
}

// Letters keep CapsLock working; everything else is typed by its level alone.
std::string symbolsLine(const KeySnapshot& key) {
    const auto& s = key.syms;
    std::string type;
    int levels = 1;
    if (s[2] || s[3]) {
        type = "FOUR_LEVEL", levels = 4;
    } else if (s[1]) {
        type = isCasePair(s[0], s[1]) ? "ALPHABETIC" : "TWO_LEVEL", levels = 2;
    } else {
        type = "ONE_LEVEL";
    }
    std::string line = "    key <I" + std::to_string(key.keycode) + "> { type = \"" + type +
                       "\", symbols[Group1] = [ ";
    for (int level = 0; level < levels; ++level) line += (level ? ", " : "") + keysymName(s[level]);
    return line + " ] };\n";
}

struct ContextFree {
    void operator()(xkb_context* c) const { xkb_context_unref(c); }
};
struct KeymapFree {
    void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
};

}  // namespace

std::vector<KeySnapshot> keysOfKeymap(xkb_keymap* keymap) {
    std::vector<KeySnapshot> keys;
    for (int code = kMinKeycode; code <= kMaxKeycode; ++code) {
        KeySnapshot key;
        key.keycode = static_cast<std::uint8_t>(code);
        const char* name = xkb_keymap_key_get_name(keymap, static_cast<xkb_keycode_t>(code));
        if (name) key.name = name;
        key.keypad = key.name.rfind("KP", 0) == 0;
        const int levels = static_cast<int>(
            xkb_keymap_num_levels_for_key(keymap, static_cast<xkb_keycode_t>(code), 0));
        for (int level = 0; level < levels && level < 4; ++level) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, static_cast<xkb_keycode_t>(code), 0,
                                                 static_cast<xkb_level_index_t>(level), &syms) > 0)
                key.syms[static_cast<std::size_t>(level)] = syms[0];
        }
        keys.push_back(std::move(key));
    }
    return keys;
}

std::string keysymNameOf(const KeymapModel& model, std::uint8_t virtualKey) {
    const std::uint8_t kc = model.keycodeFor(virtualKey);
    const std::uint32_t sym = kc ? model.keysymAt(kc, 0) : 0;
    return sym ? keysymName(sym) : "";
}

std::string composeKeymap(const std::vector<KeySnapshot>& keys) {
    std::string text =
        "xkb_keymap {\n  xkb_keycodes \"keyloom\" {\n    minimum = 8;\n"
        "    maximum = 255;\n";
    for (const KeySnapshot& key : keys)
        text +=
            "    <I" + std::to_string(key.keycode) + "> = " + std::to_string(key.keycode) + ";\n";
    text +=
        "  };\n  xkb_types \"keyloom\" { include \"complete\" };\n"
        "  xkb_compat \"keyloom\" { include \"complete\" };\n"
        "  xkb_symbols \"keyloom\" {\n";
    for (const KeySnapshot& key : keys)
        if (key.syms[0] || key.syms[1] || key.syms[2] || key.syms[3]) text += symbolsLine(key);
    // By symbol, so that whatever keys the layout gives the modifiers keep their meaning.
    text +=
        "    modifier_map Shift { Shift_L, Shift_R };\n"
        "    modifier_map Lock { Caps_Lock };\n"
        "    modifier_map Control { Control_L, Control_R };\n"
        "    modifier_map Mod1 { Alt_L, Alt_R, Meta_L, Meta_R };\n"
        "    modifier_map Mod2 { Num_Lock };\n"
        "    modifier_map Mod4 { Super_L, Super_R };\n"
        "    modifier_map Mod5 { ISO_Level3_Shift };\n"
        "  };\n};\n";
    std::unique_ptr<xkb_context, ContextFree> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) return {};
    // A modifier symbol the layout lacks is no fault of the keymap.
    xkb_context_set_log_level(context.get(), XKB_LOG_LEVEL_CRITICAL);
    std::unique_ptr<xkb_keymap, KeymapFree> keymap(xkb_keymap_new_from_string(
        context.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) return {};
    char* whole = xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1);
    if (!whole) return {};
    std::string result = whole;
    free(whole);
    return result;
}

}  // namespace ostrevin::platform
