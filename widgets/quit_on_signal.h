// SIGTERM and SIGINT end the program through its event loop, so that it cleans up as on Exit:
// keys it holds are released and keycodes it lent are given back.
#pragma once

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>

namespace ostrevin::widgets {

class QuitOnSignal {
  public:
    QuitOnSignal() {
        if (::pipe2(fds(), O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ =
            new QSocketNotifier(fds()[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier_, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
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

  private:
    static int* fds() {
        static int pipeFds[2] = {-1, -1};
        return pipeFds;
    }
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace ostrevin::widgets
