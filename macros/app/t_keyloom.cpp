#include "macros/app/t_keyloom.h"

#include <QApplication>
#include <utility>

#include "common/text.h"
#include "macros/app/command_line.h"

namespace keyloom {

TKeyloom::TKeyloom(MacroCatalogue& catalogue, ostrevin::platform::MessagePump& pump,
                   std::function<void(int)> runMacro, std::function<void()> housekeeping)
    : catalogue_(catalogue),
      pump_(pump),
      runMacro_(std::move(runMacro)),
      housekeeping_(std::move(housekeeping)) {
    setObjectName("Keyloom");
    PlaybackTimer = new QTimer(this);
    PlaybackTimer->setObjectName("PlaybackTimer");
    PlaybackTimer->setInterval(1000);
    connect(PlaybackTimer, &QTimer::timeout, this, &TKeyloom::PlaybackTimerTimer);
}

void TKeyloom::DoCommandLine(const std::vector<std::string>& arguments) {
    for (const CommandLineAction& action : parseCommandLine(arguments)) {
        if (action.kind == CommandLineAction::Kind::Close)
            CloseRequested = true;
        else
            runMacrosNamed(action.name);
    }
    PlaybackTimer->start();
}

void TKeyloom::runMacrosNamed(const std::string& name) {
    const std::string wanted = ostrevin::upperAscii(name);
    const int count = catalogue_.entries();
    for (int number = 1; number <= count; ++number) {
        if (ostrevin::upperAscii(catalogue_.entry(number).name) == wanted) runMacro_(number);
        pump_.processMessages();
    }
}

void TKeyloom::PlaybackTimerTimer() {
    if (housekeeping_) housekeeping_();
    if (CloseRequested && (PlaybackStatus == "True" || PlaybackStatus == "NoRecord")) {
        QApplication::quit();
        return;
    }
    if (pendingShow_ && !(playbackBusy && playbackBusy())) std::exchange(pendingShow_, nullptr)();
}

void TKeyloom::ShowWhenIdle(std::function<void()> show) {
    if (playbackBusy && playbackBusy())
        pendingShow_ = std::move(show);
    else
        show();
}

}  // namespace keyloom
