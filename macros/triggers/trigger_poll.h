// The window-title triggers: on every tick of the poll timer, each macro with a Trigger runs once
// for the first visible top-level window of that title that has not fired it yet in this run.
// The window is recorded in FoundHandle before the macro runs, so a tick nested in the run does
// not fire it again; it is dropped from there once the window is gone, since X gives its id to
// a later window, often one of the same program and title.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "macros/catalogue/macro_catalogue.h"
#include "macros/playback/window_search.h"
#include "macros/triggers/poll_timer.h"
#include "macros/triggers/trigger_list.h"
#include "platform/file_system.h"
#include "platform/message_pump.h"
#include "platform/windows.h"

namespace keyloom {

struct TriggerPollServices {
    MacroCatalogue& catalogue;
    ostrevin::platform::FileSystem& files;
    ostrevin::platform::WindowSystem& windows;
    ostrevin::platform::MessagePump& pump;
    ostrevin::platform::Timer& Timer1;
    std::function<void(int number)> processHotKey;
};

class TriggerPoll {
  public:
    explicit TriggerPoll(TriggerPollServices services);
    TriggerPoll(const TriggerPoll&) = delete;
    TriggerPoll& operator=(const TriggerPoll&) = delete;

    // Reads SearchInterval once and starts the poll; 0 or less keeps it off for the whole run.
    void Start();
    void Timer1Timer();

    // The timer to hand to the run-macro entry, which switches it off during a pause.
    ostrevin::platform::Timer& pauseTimer() { return timer_; }
    // The poll's own search state, apart from that of a wait for a window.
    const WindowSearchState& searchState() const { return search_; }

  private:
    // One enumeration serves every trigger of a tick; a fired macro may have changed the
    // desktop, so it is taken again after each run.
    struct Desktop {
        std::vector<ostrevin::platform::WindowInfo> windows;
        std::unordered_map<std::string, std::size_t> firstByKey;
    };
    const Desktop& desktop();
    bool fire(const WindowTrigger& trigger, const ostrevin::platform::WindowInfo& window);
    // Drops the ids of windows that are gone from FoundHandle; true when the file changed.
    bool forgetGoneWindows(const std::vector<WindowTrigger>& triggers);

    TriggerPollServices services_;
    PollTimer timer_;
    TriggerList triggers_;
    WindowSearchState search_;
    std::optional<Desktop> desktop_;
    bool pumpDue_ = false;
    // (macro, window) whose recording failed (a full disk): not tried again until the window is
    // gone, so that the failure is shown once rather than on every tick.
    std::set<std::pair<int, ostrevin::platform::WindowId>> unrecorded_;
};

}  // namespace keyloom
