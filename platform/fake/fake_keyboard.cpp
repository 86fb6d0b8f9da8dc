#include "platform/fake/fake_keyboard.h"

#include <cstdio>

namespace ostrevin::platform {

FakeKeyboard::FakeKeyboard() {
    for (char32_t c = 'a'; c <= 'z'; ++c) mapping_[c] = static_cast<std::int16_t>(c - 'a' + 'A');
    for (char32_t c = 'A'; c <= 'Z'; ++c) mapping_[c] = static_cast<std::int16_t>(0x100 | c);
    for (char32_t c = '0'; c <= '9'; ++c) mapping_[c] = static_cast<std::int16_t>(c);
    const char* shiftedDigits = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d)
        mapping_[static_cast<char32_t>(shiftedDigits[d])] =
            static_cast<std::int16_t>(0x100 | ('0' + d));
    struct Oem {
        std::uint8_t vk;
        char plain, shifted;
    };
    const Oem oem[] = {{0xBA, ';', ':'},  {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'},
                       {0xBE, '.', '>'},  {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'},
                       {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'}};
    for (const auto& o : oem) {
        mapping_[static_cast<char32_t>(o.plain)] = o.vk;
        mapping_[static_cast<char32_t>(o.shifted)] = static_cast<std::int16_t>(0x100 | o.vk);
        labels_[o.vk] = std::string(1, o.plain);
    }
    mapping_[U' '] = vk::kSpace;
    mapping_[U'\r'] = vk::kReturn;
    mapping_[U'\n'] = vk::kReturn;
    mapping_[U'\t'] = vk::kTab;
    mapping_[U'\b'] = vk::kBack;
}

void FakeKeyboard::prepareText(std::u32string_view text) {
    prepared_.emplace_back(text);
    ++openTexts_;
}

void FakeKeyboard::finishText() {
    --openTexts_;
}

std::int16_t FakeKeyboard::vkKeyScan(char32_t ch) {
    auto it = mapping_.find(ch);
    return it == mapping_.end() ? std::int16_t{-1} : it->second;
}

std::uint32_t FakeKeyboard::mapVirtualKey(std::uint8_t virtualKey) {
    auto it = scanCodes_.find(virtualKey);
    return it == scanCodes_.end() ? 0 : it->second;
}

void FakeKeyboard::keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) {
    events_.push_back({virtualKey, scanCode, flags});
    if (flags & kKeyUp)
        held_.erase(virtualKey);
    else
        held_.insert(virtualKey);
}

bool FakeKeyboard::isKeyDown(std::uint8_t virtualKey) {
    return held_.count(virtualKey) > 0;
}

std::string FakeKeyboard::keyLabel(std::uint8_t virtualKey) {
    auto it = labels_.find(virtualKey);
    return it == labels_.end() ? std::string() : it->second;
}

std::string FakeKeyboard::keyName(std::uint8_t virtualKey) {
    switch (virtualKey) {
        case vk::kShift: return "Shift";
        case vk::kControl: return "Ctrl";
        case vk::kMenu: return "Alt";
        case vk::kReturn: return "Enter";
        case vk::kTab: return "Tab";
        case vk::kBack: return "BkSp";
        case vk::kEscape: return "Esc";
        case vk::kSpace: return "Space";
        case vk::kLeft: return "Left";
        case vk::kRight: return "Right";
        case vk::kUp: return "Up";
        case vk::kDown: return "Down";
        default: break;
    }
    if (virtualKey >= vk::kF1 && virtualKey <= vk::kF24)
        return "F" + std::to_string(virtualKey - vk::kF1 + 1);
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return std::string(1, static_cast<char>(virtualKey));
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", virtualKey);
    return buf;
}

std::string FakeKeyboard::eventText() const {
    std::string out;
    for (const auto& e : events_) {
        if (!out.empty()) out += ' ';
        out += (e.flags & kKeyUp) ? '-' : '+';
        out += keyName(e.virtualKey);
    }
    return out;
}

}  // namespace ostrevin::platform
