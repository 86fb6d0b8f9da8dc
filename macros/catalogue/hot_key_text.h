// Hot key values: low byte the virtual key, plus 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace keyloom {

inline constexpr int kHotKeyShift = 0x2000;
inline constexpr int kHotKeyCtrl = 0x4000;
inline constexpr int kHotKeyAlt = 0x8000;

// The layout's own name for a key (punctuation keys), "" when it has none.
using KeyLabelFn = std::function<std::string(std::uint8_t virtualKey)>;

// "Shift+Ctrl+F12"; "" for 0 and for keys without a one-character name.
std::string shortcutText(int hotKey, const KeyLabelFn& keyLabel);

// The names of the US layout's punctuation keys, for when no live layout is at hand.
std::string usKeyLabel(std::uint8_t virtualKey);

}  // namespace keyloom
