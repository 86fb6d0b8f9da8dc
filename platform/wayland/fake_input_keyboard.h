// Keyboard output through KWin's fake input, which KWin grants to programs whose installed desktop
// entry asks for it (X-KDE-Wayland-Interfaces). Keys go out as Wayland requests in order and need
// no reply, so a text types as fast as the portal's remote desktop cannot (each of its keys waits
// for a reply there).
#pragma once

#include <memory>

#include "platform/wayland/keymap_keyboard.h"

namespace ostrevin::platform {

class WaylandSession;

class FakeInputKeyboard : public KeymapKeyboard {
  public:
    // How many key presses go out before KWin must have handled them.
    static constexpr int kPressesAhead = 4;

    // nullptr when KWin does not grant this program its fake input with keys (version 4).
    static std::unique_ptr<FakeInputKeyboard> open(WaylandSession& session);
    ~FakeInputKeyboard() override;

  protected:
    void sendKey(std::uint8_t keycode, bool down) override;
    void flush() override;

  private:
    explicit FakeInputKeyboard(WaylandSession& session) : session_(session) {}

    WaylandSession& session_;
    int pressesSent_ = 0;
};

}  // namespace ostrevin::platform
