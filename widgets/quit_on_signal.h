// SIGTERM and SIGINT end the program at once, whatever it is doing: typing, a pause, a wait for a
// window, an error box or the input prompt. Those run nested event loops that a plain quit of the
// main loop never reaches (and before the main loop runs, a quit is ignored), so the program does
// not go back to them: it runs its clean-up (keys released, lent keycodes given back) and exits.
#pragma once

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <functional>

namespace ostrevin::widgets {

class QuitOnSignal {
  public:
    // The clean-up runs on the user-interface thread, from whatever event loop is running.
    explicit QuitOnSignal(std::function<void()> cleanUp) : cleanUp_(std::move(cleanUp)) {
        if (::pipe2(fds(), O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ =
            new QSocketNotifier(fds()[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier_, &QSocketNotifier::activated, [this] { quitNow(); });
        struct sigaction action {};
        action.sa_handler = [](int) {
            const char byte = 1;
            [[maybe_unused]] ssize_t n = ::write(fds()[1], &byte, 1);
        };
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
    }

    // Also for other requests to end at once, such as the session manager's quit request.
    void quitNow() {
        if (notifier_) notifier_->setEnabled(false);
        if (cleanUp_) cleanUp_();
        std::fflush(nullptr);
        ::_exit(0);
    }

  private:
    static int* fds() {
        static int pipeFds[2] = {-1, -1};
        return pipeFds;
    }

    std::function<void()> cleanUp_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace ostrevin::widgets
