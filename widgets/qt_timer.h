// The timer of the logic, as a QTimer.
#pragma once

#include <QObject>
#include <QTimer>

#include "platform/timer.h"

namespace ostrevin::widgets {

class QtTimer : public platform::Timer {
  public:
    explicit QtTimer(QObject* owner, const char* name) : timer_(new QTimer(owner)) {
        timer_->setObjectName(name);
        QObject::connect(timer_, &QTimer::timeout, [this] {
            if (onTick_) onTick_();
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
};

}  // namespace ostrevin::widgets
