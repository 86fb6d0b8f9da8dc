// The run-macro entry that every trigger ends in, and the routines that advanced macros use for
// repeats, timed pauses and waiting for windows. Everything runs on the user-interface thread;
// waits process pending events, so hot keys, timers and the recorder's events run meanwhile.
#pragma once

#include <functional>
#include <string>

#include "macros/catalogue/macro_catalogue.h"
#include "macros/playback/journal_recorder.h"
#include "macros/playback/macro_interpreter.h"
#include "macros/playback/window_search.h"
#include "macros/sendkey/key_string_sender.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/launcher.h"
#include "platform/message_pump.h"
#include "platform/timer.h"
#include "platform/windows.h"

namespace keyloom {

struct PlayerServices {
    MacroCatalogue& catalogue;
    KeyStringSender& sender;
    TOlejrnl& recorder;
    ostrevin::platform::WindowSystem& windows;
    ostrevin::platform::Launcher& launcher;
    ostrevin::platform::Clock& clock;
    ostrevin::platform::MessagePump& pump;
    ostrevin::platform::FileSystem& files;
    ostrevin::platform::Timer& tmr1;    // counts the seconds or minutes of a pause
    ostrevin::platform::Timer& Timer1;  // the window-trigger poll, off during a pause
    std::function<std::string(const std::string& prompt)> askInput;
    std::function<void(const std::string& status)> recordFinished;
};

class MacroPlayer {
  public:
    // The step of the wait between two window polls.
    static constexpr int kWaitSliceMs = 100;

    explicit MacroPlayer(PlayerServices services);
    MacroPlayer(const MacroPlayer&) = delete;
    MacroPlayer& operator=(const MacroPlayer&) = delete;

    // Runs macro n: returns once a launch or advanced macro has finished, or a journal playback
    // has started. Throws MacroError or KeyStringError; what was typed stays typed.
    void ProcessHotKey(int number);
    void RunAdvancedMacro(const std::string& path);
    void RepMac(int count, const std::string& text);
    void Pause(int count, int unit);
    void WaitForWindow(const std::string& title, bool inSeconds, int count);
    void SendKeys(const std::string& text) { interpreter_.SendKeys(text); }

    // False only while a journal playback started from here runs.
    bool PlaybackDone = true;
    std::string InputValue;
    int DelayTicks = 0;
    WindowSearchState waitSearch;

    PlayerServices& services() { return services_; }

  private:
    std::string sideFilePath(const std::string& fileName) const;

    PlayerServices services_;
    MacroInterpreter interpreter_;
    int pauseIntervalMs_ = 0;  // the tick of the pause under way, 0 when none
};

}  // namespace keyloom
