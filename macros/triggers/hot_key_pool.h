// The list window's pool of hot keys: object n serves macro n for n from 1 to 100, object 0 never
// runs anything, and all share one handler that refuses presses while a macro is being edited or
// another press is being handled, and waits until the user has let go of the keys.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "macros/catalogue/macro_catalogue.h"
#include "macros/triggers/tep_hot_key.h"
#include "platform/message_pump.h"

namespace keyloom {

class HotKeyPool {
  public:
    static constexpr int kSlots = 100;

    HotKeyPool(HotKeyRouter& router, MacroCatalogue& catalogue,
               ostrevin::platform::MessagePump& pump,
               std::function<void(int number)> processHotKey);

    TEPHotKey& EPHotKey(int slot) { return *pool_.at(static_cast<std::size_t>(slot)); }

    // Gives every slot the catalogue's key under the current numbering, each passing through 0
    // first; true when the catalogue has entries, so the list should be refilled.
    bool LoadHotKeys();
    void EPHotKey0HotKey(TEPHotKey& sender, std::uint8_t key, std::uint16_t shift);

    bool EditingMacro = false;
    bool HotKeyBusy = false;

  private:
    void waitForRelease(const TEPHotKey& sender);

    HotKeyRouter& router_;
    MacroCatalogue& catalogue_;
    ostrevin::platform::MessagePump& pump_;
    std::function<void(int)> processHotKey_;
    std::array<std::unique_ptr<TEPHotKey>, kSlots + 1> pool_;
};

}  // namespace keyloom
