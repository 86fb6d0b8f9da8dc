#include "macros/catalogue/hot_key_text.h"

#include "common/text.h"

namespace keyloom {

namespace {

std::string namedKey(std::uint8_t vk) {
    switch (vk) {
        case 0x08: return "BkSp";
        case 0x09: return "Tab";
        case 0x0D: return "Enter";
        case 0x1B: return "Esc";
        case 0x20: return "Space";
        case 0x21: return "PgUp";
        case 0x22: return "PgDn";
        case 0x23: return "End";
        case 0x24: return "Home";
        case 0x25: return "Left";
        case 0x26: return "Up";
        case 0x27: return "Right";
        case 0x28: return "Down";
        case 0x2D: return "Ins";
        case 0x2E: return "Del";
        default: break;
    }
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
    if (vk >= 0x60 && vk <= 0x69) return std::string(1, char('0' + vk - 0x60));
    if (vk >= 0x70 && vk <= 0x87) return std::string("F").append(std::to_string(vk - 0x70 + 1));
    return {};
}

}  // namespace

std::string shortcutText(int hotKey, const KeyLabelFn& keyLabel) {
    const int value = hotKey & 0xFFFF;
    if (value == 0) return {};
    const auto vk = static_cast<std::uint8_t>(value & 0xFF);
    std::string key = namedKey(vk);
    if (key.empty() && keyLabel) {
        std::string label = keyLabel(vk);
        if (ostrevin::decodeUtf8(label).size() == 1) key = label;
    }
    if (key.empty()) return {};
    std::string text;
    if (value & kHotKeyShift) text += "Shift+";
    if (value & kHotKeyCtrl) text += "Ctrl+";
    if (value & kHotKeyAlt) text += "Alt+";
    return text + key;
}

std::string usKeyLabel(std::uint8_t virtualKey) {
    switch (virtualKey) {
        case 0xBA: return ";";
        case 0xBB: return "=";
        case 0xBC: return ",";
        case 0xBD: return "-";
        case 0xBE: return ".";
        case 0xBF: return "/";
        case 0xC0: return "`";
        case 0xDB: return "[";
        case 0xDC: return "\\";
        case 0xDD: return "]";
        case 0xDE: return "'";
        default: return {};
    }
}

}  // namespace keyloom
