// A system-wide hot key as a component: a stored 16-bit shortcut value (low byte the virtual key,
// 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt) that is grabbed while the object is enabled, and an event
// that a press of it raises on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/hot_keys.h"

namespace keyloom {

class TEPHotKey;

// Hands out identifiers that are distinct within the program and routes each press of the
// platform's hot keys to the object that holds that identifier.
class HotKeyRouter {
  public:
    explicit HotKeyRouter(ostrevin::platform::HotKeys& keys);
    ~HotKeyRouter();
    HotKeyRouter(const HotKeyRouter&) = delete;
    HotKeyRouter& operator=(const HotKeyRouter&) = delete;

    ostrevin::platform::HotKeys& keys() { return keys_; }
    int add(TEPHotKey* hotKey);
    void remove(int id);

    // True while the program has an active window, for objects that are not global.
    std::function<bool()> applicationActive;
    // Shows an error that escaped a handler; the program goes on.
    std::function<void(const std::string& message)> showError;

  private:
    void pressed(int id);

    ostrevin::platform::HotKeys& keys_;
    std::map<int, TEPHotKey*> objects_;
    int nextId_ = 1;
};

class TEPHotKey {
  public:
    static constexpr std::uint16_t kShift = 0x2000, kCtrl = 0x4000, kAlt = 0x8000;
    using Handler = std::function<void(TEPHotKey& sender, std::uint8_t key, std::uint16_t shift)>;

    explicit TEPHotKey(HotKeyRouter& router);
    ~TEPHotKey();
    TEPHotKey(const TEPHotKey&) = delete;
    TEPHotKey& operator=(const TEPHotKey&) = delete;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool Global = true;
    std::uint16_t HotKey() const { return hotKey_; }
    void setHotKey(std::uint16_t value);
    Handler OnHotKey;

    // Whether the system accepted the current key; false while it is held elsewhere, names no
    // key, or the object is disabled.
    bool Registered() const { return registered_; }
    int id() const { return id_; }

    // Called by the router on a press.
    void deliver();

  private:
    void grab();
    void release();

    HotKeyRouter& router_;
    int id_;
    bool enabled_ = true;
    bool registered_ = false;
    std::uint16_t hotKey_ = 0;
};

// The platform's modifier set for the Shift, Ctrl and Alt bits of a shortcut value.
unsigned platformModifiers(std::uint16_t hotKey);

}  // namespace keyloom
