// Everything that starts macros by itself: the hot key pool, the window-trigger poll and the
// wizard's stop-recording key, wired to the run-macro entry.
#pragma once

#include <functional>

#include "macros/triggers/hot_key_pool.h"
#include "macros/triggers/tep_hot_key.h"
#include "macros/triggers/trigger_poll.h"

namespace keyloom {

struct MacroTriggerServices {
    ostrevin::platform::HotKeys& hotKeys;
    MacroCatalogue& catalogue;
    ostrevin::platform::FileSystem& files;
    ostrevin::platform::WindowSystem& windows;
    ostrevin::platform::MessagePump& pump;
    ostrevin::platform::Timer& Timer1;
    std::function<void(int number)> processHotKey;
};

class MacroTriggers {
  public:
    static constexpr std::uint16_t kStopRecordingKey = 24699;  // Shift+Ctrl+F12

    explicit MacroTriggers(const MacroTriggerServices& services);

    HotKeyRouter router;
    HotKeyPool pool;
    TriggerPoll poll;
    // Created disabled; the recorder enables it while it records and sets its OnHotKey.
    TEPHotKey StopRecordingHotKey;
};

}  // namespace keyloom
