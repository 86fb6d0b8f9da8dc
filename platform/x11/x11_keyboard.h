// Keyboard output through XTest on the live X keymap. It keeps its own connection to the server,
// so that typing never competes with the toolkit's event handling.
//
// Characters the layout lacks are typed by lending them keycodes that have no symbols. The loans
// are kept for a grace period after the last use instead of being returned at once: a client that
// reads the keymap after the keys arrived would otherwise look them up in the restored map and
// lose them. restoreIfIdle() returns them; the destructor returns whatever is left.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard.h"
#include "platform/x11/keymap_model.h"

typedef struct _XDisplay Display;

namespace ostrevin::platform {

class X11Keyboard : public Keyboard {
  public:
    static constexpr int kLoanGraceMs = 1500;
    // What is left of the grace period is waited out at most this long when the program is told
    // to end, so that it ends within a second.
    static constexpr int kExitGraceMs = 500;

    // nullptr when the display cannot be opened or lacks the XTest or XKB extension.
    static std::unique_ptr<X11Keyboard> open(const char* displayName = nullptr);
    ~X11Keyboard() override;

    void prepareText(std::u32string_view text) override;
    void finishText() override;
    std::int16_t vkKeyScan(char32_t ch) override;
    std::uint32_t mapVirtualKey(std::uint8_t virtualKey) override;
    void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;
    bool isKeyDown(std::uint8_t virtualKey) override;
    std::string keyLabel(std::uint8_t virtualKey) override;
    // The native code is the X keycode, mapped as the hot key grabs map it back.
    std::uint8_t virtualKeyOfScanCode(std::uint32_t keycode) override;

    // Returns lent keycodes once no text has used them for the grace period.
    void restoreIfIdle();
    // Returns every lent keycode now.
    void restoreLoans();
    // Waits out what is left of the grace period, at most maxWaitMs, then returns every loan.
    void restoreLoansAfterGrace(int maxWaitMs);
    // Releases every key this layer still holds down.
    void releaseAll();

  private:
    explicit X11Keyboard(Display* display);
    void reloadIfChanged();
    void reload();
    void lend(std::u32string_view text);
    std::uint8_t keycodeForEvent(std::uint8_t virtualKey) const;
    bool serverHolds(std::uint8_t keycode);
    std::uint8_t fenceKeycode() const;
    // One XKB request a device: each key gets a single group of one level holding the symbol,
    // or no group at all for NoSymbol.
    void setKeySymbols(const std::map<std::uint8_t, std::uint32_t>& symbols);
    void setKeySymbols(int device, const std::map<std::uint8_t, std::uint32_t>& symbols);
    std::vector<int> keyboardDevices();
    // Returns once the server has processed every key event sent so far.
    void fenceInput(std::uint8_t idleKeycode);
    // The fence key is grabbed for the span of the fence, so that its press and release come
    // back to us and the focused window sees no key that no macro asked for.
    bool grabKey(std::uint8_t keycode);
    void ungrabKey(std::uint8_t keycode);
    void fakeKey(std::uint8_t keycode, bool down);
    void press(std::uint8_t keycode);
    void release(std::uint8_t keycode);

    Display* display_;
    int xkbEventBase_ = 0;
    bool dirty_ = true;
    bool capsLocked_ = false;
    KeymapModel model_;
    std::uint8_t shiftKeycode_ = 0, controlKeycode_ = 0, altKeycode_ = 0;
    std::map<std::uint8_t, char32_t> loans_;  // keycode -> character
    std::uint8_t lastLent_ = 0;
    std::int64_t lastUseMs_ = 0;
    std::array<int, 256> pressCount_{};
    std::array<int, 256> levelOfVk_{};  // the level vkKeyScan last reported for the key
    // Ctrl and Alt from the sender wait until the next key: for a character on the AltGr level
    // they become AltGr, otherwise they are pressed as themselves.
    bool ctrlWanted_ = false, altWanted_ = false, keySinceCtrl_ = false, keySinceAlt_ = false;
    std::uint8_t level3Held_ = 0;  // the key that pressed AltGr in place of Ctrl and Alt
};

}  // namespace ostrevin::platform
