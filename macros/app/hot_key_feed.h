// Brings hot key presses from their X connection onto the user-interface thread through the event
// loop: a notifier on the connection's socket, and a look at Xlib's own queue before the loop
// sleeps, since Xlib may have read events off the socket while it waited for a reply.
#pragma once

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QSocketNotifier>
#include <memory>

#include "platform/wayland/socket_hot_keys.h"
#include "platform/x11/x11_hot_keys.h"

namespace keyloom {

// Registers nothing: hot keys are not available, the macros still run by their other triggers.
class NoHotKeys : public ostrevin::platform::HotKeys {
  public:
    bool registerHotKey(int, unsigned, std::uint8_t) override { return false; }
    void unregisterHotKey(int) override {}
    void setHandler(std::function<void(int)>) override {}
    bool keysHeld(int) override { return false; }
    bool watchReleases(bool) override { return false; }
};

class HotKeyFeed {
  public:
    // x11: grab on the X server; otherwise (a Wayland session's own backend, where X grabs would
    // reach XWayland programs only) the desktop's own hot keys, when it takes them.
    HotKeyFeed(bool x11, std::unique_ptr<ostrevin::platform::SocketHotKeys> desktop)
        : x11_(x11 ? ostrevin::platform::X11HotKeys::open() : nullptr),
          desktop_(std::move(desktop)) {
        if (desktop_) {
            notifier_ =
                std::make_unique<QSocketNotifier>(desktop_->eventFd(), QSocketNotifier::Read);
            QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
                for (int id : desktop_->readPending())
                    QMetaObject::invokeMethod(
                        notifier_.get(), [this, id] { desktop_->deliver(id); },
                        Qt::QueuedConnection);
                if (desktop_->closed()) notifier_->setEnabled(false);
            });
        }
        if (!x11_) return;
        notifier_ = std::make_unique<QSocketNotifier>(x11_->connectionFd(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { read(); });
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, notifier_.get(), [this] {
                             if (posted_ || !x11_->hasQueuedEvents()) return;
                             posted_ = true;
                             QMetaObject::invokeMethod(
                                 notifier_.get(),
                                 [this] {
                                     posted_ = false;
                                     read();
                                 },
                                 Qt::QueuedConnection);
                         });
    }
    HotKeyFeed(const HotKeyFeed&) = delete;
    HotKeyFeed& operator=(const HotKeyFeed&) = delete;

    ostrevin::platform::HotKeys& keys() {
        if (x11_) return *x11_;
        if (desktop_) return *desktop_;
        return none_;
    }
    // Keys bound in the desktop outlive the program unless removed.
    void removeBindings() {
        if (desktop_) desktop_->unbindAll();
    }

  private:
    // Each press runs as an event of its own: a macro run from inside the notifier's handler
    // would wait in loops that no longer watch this socket, so key releases would not wake them.
    void read() {
        for (int id : x11_->readPending())
            QMetaObject::invokeMethod(
                notifier_.get(), [this, id] { x11_->deliver(id); }, Qt::QueuedConnection);
    }

    std::unique_ptr<ostrevin::platform::X11HotKeys> x11_;
    std::unique_ptr<ostrevin::platform::SocketHotKeys> desktop_;
    NoHotKeys none_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool posted_ = false;
};

}  // namespace keyloom
