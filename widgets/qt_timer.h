// The timer of the logic, as a QTimer.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include "platform/timer.h"

namespace ostrevin::widgets {

class QtTimer : public platform::Timer {
  public:
    explicit QtTimer(QObject* owner, const char* name) : timer_(new QTimer(owner)) {
        timer_->setObjectName(name);
        // Qt never fires a timer again while its own timeout handler runs, yet a tick may run a
        // macro that processes events for minutes, and later ticks must nest inside it (a second
        // trigger window fires while the first one's macro waits). So the tick runs from a
        // posted call: the timer's handler has returned by then and the timer keeps firing.
        QObject::connect(timer_, &QTimer::timeout, [this] {
            if (tickPosted_) return;
            tickPosted_ = true;
            QMetaObject::invokeMethod(
                timer_,
                [this] {
                    tickPosted_ = false;
                    // A tick posted just before the timer was switched off (a pause) is dropped.
                    if (timer_->isActive() && onTick_) onTick_();
                },
                Qt::QueuedConnection);
        });
    }
    void setInterval(int milliseconds) override { timer_->setInterval(milliseconds); }
    void setEnabled(bool enabled) override {
        if (enabled)
            timer_->start();
        else
            timer_->stop();
    }
    bool enabled() const override { return timer_->isActive(); }
    void setOnTick(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

  private:
    QTimer* timer_;
    std::function<void()> onTick_;
    bool tickPosted_ = false;
};

}  // namespace ostrevin::widgets
