// Keyboard output through a virtual keyboard of the compositor's. The compositor hands its keymap
// to the focused client in the same stream as the keys, so a keymap that holds the text's
// characters reaches the client before the first of them, and the user's own keymap, uploaded
// again after the text, arrives after the last: no key is looked up in the wrong map.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard.h"
#include "platform/x11/keymap_model.h"

struct zwp_virtual_keyboard_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace ostrevin::platform {

class WaylandSession;

class WaylandKeyboard : public Keyboard {
  public:
    // How many key presses go out at once, and how many a second after that.
    static constexpr double kPressBurst = 300, kPressesPerSecond = 4000;

    // nullptr when the compositor offers no virtual keyboard or no usable keymap can be made.
    static std::unique_ptr<WaylandKeyboard> open(WaylandSession& session);
    ~WaylandKeyboard() override;

    void prepareText(std::u32string_view text) override;
    void finishText() override;
    std::int16_t vkKeyScan(char32_t ch) override;
    std::uint32_t mapVirtualKey(std::uint8_t virtualKey) override;
    void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;
    // Only the keys this keyboard holds: a Wayland client cannot see the user's.
    bool isKeyDown(std::uint8_t virtualKey) override;
    std::string keyLabel(std::uint8_t virtualKey) override;

    // The symbol name of the key a virtual key stands for in the user's keymap ("F5", "a"), as
    // key bindings name keys; "" when the layout has no such key.
    std::string keysymName(std::uint8_t virtualKey) const;
    // A recorded key: the key of the user's keymap with that symbol, else the recorded keycode.
    void replayKey(std::uint8_t keycode, std::uint32_t keysym, bool down);
    // Releases every key this keyboard still holds down and puts the user's keymap back.
    void releaseAll();

  private:
    WaylandKeyboard(WaylandSession& session, zwp_virtual_keyboard_v1* keyboard);
    bool loadUserKeymap();
    // Puts the given characters on empty keys (the oldest loans give way first) and uploads.
    void lend(const std::vector<char32_t>& missing);
    bool upload(const std::vector<KeySnapshot>& keys);
    void sendKey(std::uint8_t keycode, bool down);
    void press(std::uint8_t keycode);
    void pace();
    void release(std::uint8_t keycode);
    std::uint8_t keycodeForEvent(std::uint8_t virtualKey) const;

    WaylandSession& session_;
    zwp_virtual_keyboard_v1* keyboard_;
    xkb_context* context_ = nullptr;
    xkb_keymap* uploadedKeymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::string userKeymapSource_;
    std::vector<KeySnapshot> userKeys_;
    KeymapModel userModel_;                   // names keys as the user sees them
    KeymapModel model_;                       // what is uploaded now, typed on levels 1 and 2 only
    std::map<std::uint8_t, char32_t> loans_;  // keycode -> character, oldest first by order
    std::vector<std::uint8_t> loanOrder_;
    bool userKeymapUploaded_ = false;
    std::uint8_t shiftKeycode_ = 0, controlKeycode_ = 0, altKeycode_ = 0;
    std::array<int, 256> pressCount_{};
    double pressBudget_ = kPressBurst;
    std::chrono::steady_clock::time_point lastPace_ = std::chrono::steady_clock::now();
};

}  // namespace ostrevin::platform
