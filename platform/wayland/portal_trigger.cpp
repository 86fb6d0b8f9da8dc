#include "platform/wayland/portal_trigger.h"

#include <map>

#include "platform/hot_keys.h"

namespace ostrevin::platform {

namespace {

// Keysym names whose key sequence name differs; the rest (F1 to F24, Home, End, Left, Tab, Menu,
// Pause, Print, Return) read alike.
const std::map<std::string, std::string>& renamed() {
    static const std::map<std::string, std::string> names = {{"Prior", "PgUp"},
                                                             {"Next", "PgDown"},
                                                             {"Delete", "Del"},
                                                             {"Insert", "Ins"},
                                                             {"Escape", "Esc"},
                                                             {"BackSpace", "Backspace"},
                                                             {"space", "Space"},
                                                             {"KP_Enter", "Enter"},
                                                             {"Scroll_Lock", "ScrollLock"},
                                                             {"Num_Lock", "NumLock"},
                                                             {"Caps_Lock", "CapsLock"},
                                                             {"minus", "-"},
                                                             {"equal", "="},
                                                             {"comma", ","},
                                                             {"period", "."},
                                                             {"slash", "/"},
                                                             {"semicolon", ";"},
                                                             {"apostrophe", "'"},
                                                             {"bracketleft", "["},
                                                             {"bracketright", "]"},
                                                             {"backslash", "\\"},
                                                             {"grave", "`"}};
    return names;
}

std::string keyName(const std::string& keysym) {
    if (keysym.size() == 1) {
        const char c = keysym[0];
        if (c >= 'a' && c <= 'z') return std::string(1, static_cast<char>(c - 'a' + 'A'));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return keysym;
        return {};
    }
    const auto it = renamed().find(keysym);
    if (it != renamed().end()) return it->second;
    // Function keys and the named keys the two spellings share.
    static const char* const same[] = {"Home", "End",    "Left",  "Right", "Up",  "Down",
                                       "Tab",  "Return", "Pause", "Print", "Menu"};
    for (const char* name : same)
        if (keysym == name) return keysym;
    if (keysym.size() <= 3 && keysym[0] == 'F' &&
        keysym.find_first_not_of("0123456789", 1) == std::string::npos)
        return keysym;
    return {};
}

}  // namespace

std::string portalTrigger(unsigned modifiers, const std::string& keysymName) {
    const std::string key = keyName(keysymName);
    if (key.empty()) return {};
    std::string trigger;
    if (modifiers & kModControl) trigger += "CTRL+";
    if (modifiers & kModAlt) trigger += "ALT+";
    if (modifiers & kModShift) trigger += "SHIFT+";
    return trigger + key;
}

}  // namespace ostrevin::platform
