#include "platform/wayland/selection_transfer.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace ostrevin::platform::pasting {

Contents asText(const std::string& utf8) {
    Contents text;
    for (const char* type :
         {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "TEXT", "STRING"})
        text.emplace_back(type, utf8);
    return text;
}

bool ready(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int n;
    do n = ::poll(&p, 1, timeoutMs);
    while (n < 0 && errno == EINTR);
    return n > 0;
}

void writeAll(int fd, const std::string& bytes, int timeoutMs) {
    sigset_t pipeSignal, before;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            if (!ready(fd, POLLOUT, timeoutMs)) break;
        } else if (!(n < 0 && errno == EINTR)) {
            break;
        }
    }
    const timespec none{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace ostrevin::platform::pasting
