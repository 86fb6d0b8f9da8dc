// A keyboard that presses keys of the user's own keymap, for desktops that take key codes from a
// program (the desktop portal, KWin's fake input) and read them through the keymap the user types
// with, as if pressed on the keyboard. A character that no key of the layout carries cannot be
// typed that way (both drop symbols the layout lacks), and vkKeyScan says so rather than let a
// wrong character through. How a key goes out is the subclass's.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard.h"
#include "platform/wayland/text_paster.h"
#include "platform/x11/keymap_model.h"

namespace ostrevin::platform {

class KeymapKeyboard : public Keyboard {
  public:
    // The virtual key vkKeyScan answers for a character to be pasted; no key of any layout.
    static constexpr std::uint8_t kVkPasted = 0x0A;

    void prepareText(std::u32string_view) override {}
    void finishText() override;
    std::int16_t vkKeyScan(char32_t ch) override;
    std::uint32_t mapVirtualKey(std::uint8_t virtualKey) override;
    void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;
    // Only the keys this keyboard holds: a Wayland client cannot see the user's.
    bool isKeyDown(std::uint8_t virtualKey) override;
    std::string keyLabel(std::uint8_t virtualKey) override;

    // The symbol name of the key a virtual key stands for in the user's keymap ("F5", "a"), as
    // the desktop's shortcuts name keys; "" when the layout has no such key.
    std::string keysymName(std::uint8_t virtualKey) const;
    // A recorded key: the key of the user's keymap with that symbol, else the recorded keycode.
    void replayKey(std::uint8_t keycode, std::uint32_t keysym, bool down);
    // Lets go of every key this keyboard still holds down (after pasting what waits).
    void releaseAll();
    // Characters the layout lacks are pasted through this from now on.
    void setPaster(std::unique_ptr<TextPaster> paster) { paster_ = std::move(paster); }
    TextPaster* paster() const { return paster_.get(); }
    // The characters vkKeyScan found no key for since the last call, each once, in the order
    // met; the caller names them to the user, since they were left out.
    std::u32string takeUntyped();

  protected:
    // seatKeymap: the keymap text the seat announced, "" for the one the environment names
    // (XKB_DEFAULT_LAYOUT and its companions). False when neither compiles.
    bool loadKeymap(const std::string& seatKeymap);
    // One key, by its XKB keycode, to the desktop.
    virtual void sendKey(std::uint8_t keycode, bool down) = 0;
    // Sends what is queued.
    virtual void flush() = 0;
    // The Shift key of the user's keymap, 0 when it has none.
    std::uint8_t shiftKeycode() const { return shiftKeycode_; }

  private:
    void press(std::uint8_t keycode);
    void release(std::uint8_t keycode);
    std::uint8_t keycodeForEvent(std::uint8_t virtualKey) const;
    void leaveOut(char32_t ch);
    // Pastes the characters collected since the last real key, as one text.
    void pasteRun();

    KeymapModel model_;  // the user's keymap, typed on levels 1 and 2 only
    std::vector<KeySnapshot> keys_;
    std::uint8_t shiftKeycode_ = 0, controlKeycode_ = 0, altKeycode_ = 0, insertKeycode_ = 0;
    std::array<int, 256> pressCount_{};
    std::u32string untyped_;
    std::unique_ptr<TextPaster> paster_;
    char32_t scanned_ = 0;  // the character vkKeyScan last answered kVkPasted for
    std::u32string run_;    // characters waiting to be pasted
};

}  // namespace ostrevin::platform
