// System-wide hot keys. Presses arrive on the user-interface thread through the handler.
#pragma once

#include <cstdint>
#include <functional>

namespace ostrevin::platform {

enum HotKeyModifier : unsigned { kModAlt = 1, kModControl = 2, kModShift = 4 };

class HotKeys {
  public:
    virtual ~HotKeys() = default;
    // False when the combination is taken by another program or cannot be grabbed; the real
    // platform then tries it again at each keyboard mapping change until it is unregistered.
    virtual bool registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) = 0;
    virtual void unregisterHotKey(int id) = 0;
    virtual void setHandler(std::function<void(int id)> handler) = 0;
    // True while Shift, Ctrl or Alt, or the key registered under the id, is held down (the live
    // keyboard state, not the events seen so far).
    virtual bool keysHeld(int id) = 0;
    // While switched on (calls nest), every key release wakes the event loop, so a wait for the
    // keys to come up can sleep between checks. False when the platform cannot promise that; the
    // waiter must then not sleep.
    virtual bool watchReleases(bool on) = 0;
};

}  // namespace ostrevin::platform
