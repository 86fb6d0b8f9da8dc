// The keyboard mapping as the typing layer needs it, computed from a snapshot of the X server's
// keymap (current group only) without any X call, so that its rules can be tested on made-up
// layouts: which key and level give a character, and which Windows virtual key stands for each key.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ostrevin::platform {

struct KeySnapshot {
    std::uint8_t keycode = 0;
    std::string name;                     // XKB key name such as "AC10"; may be empty
    std::array<std::uint32_t, 4> syms{};  // keysyms of levels 1 to 4 of the current group
    bool keypad = false;                  // numeric keypad keys type digits only as a last resort
};

struct KeyPlace {
    std::uint8_t keycode = 0;
    int level = 0;  // 0 plain, 1 Shift, 2 AltGr, 3 AltGr+Shift
};

class KeymapModel {
  public:
    // level3Keycode: a key that gives ISO_Level3_Shift (AltGr), 0 when the layout has none, in
    // which case levels 3 and 4 cannot be typed.
    void load(const std::vector<KeySnapshot>& keys, std::uint8_t level3Keycode);

    std::optional<KeyPlace> find(char32_t ch) const;
    std::uint8_t virtualKeyFor(std::uint8_t keycode) const;
    std::uint8_t keycodeFor(std::uint8_t virtualKey) const;
    std::uint32_t keysymAt(std::uint8_t keycode, int level) const;
    std::uint8_t level3Keycode() const { return level3_; }
    // Keycodes with no symbol at all, which may be lent to characters the layout lacks.
    const std::vector<std::uint8_t>& emptyKeycodes() const { return empty_; }
    // A virtual key for a lent keycode, from the codes Windows leaves unassigned; 0 when none left.
    std::uint8_t assignSpareVirtualKey(std::uint8_t keycode);

    static char32_t keysymToChar(std::uint32_t keysym);
    static std::uint32_t charToKeysym(char32_t ch);

  private:
    void assignNamedKeys(const std::vector<KeySnapshot>& keys);
    void assignAlphanumeric(const std::vector<KeySnapshot>& keys);
    void assignByPosition(const std::vector<KeySnapshot>& keys);
    void assignRest(const std::vector<KeySnapshot>& keys);
    bool bind(std::uint8_t keycode, std::uint8_t virtualKey);
    std::uint8_t nextFreePoolKey() const;

    std::array<std::uint8_t, 256> vkOfKeycode_{};
    std::array<std::uint8_t, 256> keycodeOfVk_{};
    std::array<std::array<std::uint32_t, 4>, 256> syms_{};
    std::unordered_map<char32_t, KeyPlace> chars_;
    std::vector<std::uint8_t> empty_;
    std::uint8_t level3_ = 0;
};

}  // namespace ostrevin::platform
