// The tray form: never shown. It takes the command line, keeps the completion status of the last
// macro run, and ends the program after a run when "/Close" asked for it.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "macros/catalogue/macro_catalogue.h"
#include "platform/message_pump.h"

namespace keyloom {

class TKeyloom : public QObject {
    Q_OBJECT
  public:
    TKeyloom(MacroCatalogue& catalogue, ostrevin::platform::MessagePump& pump,
             std::function<void(int)> runMacro, std::function<void()> housekeeping);

    // Runs the macros that the arguments name, in order, then starts PlaybackTimer.
    void DoCommandLine(const std::vector<std::string>& arguments);
    void RecordFinished(const std::string& status) { PlaybackStatus = status; }
    void PlaybackTimerTimer();

    bool CloseRequested = false;
    std::string PlaybackStatus;
    QTimer* PlaybackTimer;

  private:
    void runMacrosNamed(const std::string& name);

    MacroCatalogue& catalogue_;
    ostrevin::platform::MessagePump& pump_;
    std::function<void(int)> runMacro_;
    std::function<void()> housekeeping_;
};

}  // namespace keyloom
