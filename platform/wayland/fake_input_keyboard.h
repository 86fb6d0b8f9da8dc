// Keyboard output through KWin's fake input, which KWin grants to programs whose installed desktop
// entry asks for it (X-KDE-Wayland-Interfaces). Keys go out as Wayland requests in order and need
// no reply, so a text types as fast as the portal's remote desktop cannot (each of its keys waits
// for a reply there).
#pragma once

#include <chrono>
#include <memory>

#include "platform/wayland/keymap_keyboard.h"

namespace ostrevin::platform {

class WaylandSession;

class FakeInputKeyboard : public KeymapKeyboard {
  public:
    // How many key presses go out at once, and how many a second after that; how many go out
    // before KWin must have handled them.
    static constexpr double kPressBurst = 300, kPressesPerSecond = 4000;
    static constexpr int kPressesAhead = 4;

    // nullptr when KWin does not grant this program its fake input with keys (version 4).
    static std::unique_ptr<FakeInputKeyboard> open(WaylandSession& session);
    ~FakeInputKeyboard() override;

  protected:
    void sendKey(std::uint8_t keycode, bool down) override;
    void flush() override;

  private:
    explicit FakeInputKeyboard(WaylandSession& session) : session_(session) {}
    void pace();

    WaylandSession& session_;
    int pressesSent_ = 0;
    double pressBudget_ = kPressBurst;
    std::chrono::steady_clock::time_point lastPace_ = std::chrono::steady_clock::now();
};

}  // namespace ostrevin::platform
