// Keyboard output and state. Virtual-key codes stay the Windows codes inside the programs, so
// stored hot key values mean the same everywhere; the real implementation maps them onto the
// live keyboard mapping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrevin::platform {

enum KeyEventFlag : std::uint32_t { kExtendedKey = 1, kKeyUp = 2 };

namespace vk {
inline constexpr std::uint8_t kBack = 0x08, kTab = 0x09, kReturn = 0x0D, kShift = 0x10,
                              kControl = 0x11, kMenu = 0x12, kEscape = 0x1B, kSpace = 0x20,
                              kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25,
                              kUp = 0x26, kRight = 0x27, kDown = 0x28, kSnapshot = 0x2C,
                              kInsert = 0x2D, kDelete = 0x2E, kF1 = 0x70, kF12 = 0x7B, kF24 = 0x87;
}

class Keyboard {
  public:
    virtual ~Keyboard() = default;

    // Called before the first key of a string and after its last: characters that the layout
    // lacks are made typeable for the span in between, and the layout restored afterwards.
    virtual void prepareText(std::u32string_view text) = 0;
    virtual void finishText() = 0;

    // Low byte virtual key, high byte shift state (bit 0 Shift, bit 1 Ctrl, bit 2 Alt);
    // -1 when no key can produce the character.
    virtual std::int16_t vkKeyScan(char32_t ch) = 0;
    virtual std::uint32_t mapVirtualKey(std::uint8_t virtualKey) = 0;
    virtual void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) = 0;

    virtual bool isKeyDown(std::uint8_t virtualKey) = 0;
    // The layout's own name for a key, such as ";" or "ü" for a punctuation key; "" if none.
    virtual std::string keyLabel(std::uint8_t virtualKey) = 0;
    // The virtual key that stands for the key with this native key code (the code a key event of
    // the window system carries), 0 when unknown. Hot keys are grabbed by key, so a hot key field
    // stores the pressed key through this, not the character the layout puts on it.
    virtual std::uint8_t virtualKeyOfScanCode(std::uint32_t) { return 0; }
};

}  // namespace ostrevin::platform
