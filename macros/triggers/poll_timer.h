// The poll's timer as the run-macro entry sees it: a pause switches it off and on again, but it
// cannot switch on a poll that is off for the whole run (a period of 0 would fire without rest).
#pragma once

#include "platform/timer.h"

namespace keyloom {

class PollTimer : public ostrevin::platform::Timer {
  public:
    explicit PollTimer(ostrevin::platform::Timer& timer) : timer_(timer) {}

    void setInterval(int milliseconds) override {
        allowed_ = milliseconds > 0;
        if (!allowed_) timer_.setEnabled(false);
        timer_.setInterval(milliseconds);
    }
    void setEnabled(bool enabled) override { timer_.setEnabled(enabled && allowed_); }
    bool enabled() const override { return timer_.enabled(); }
    void setOnTick(std::function<void()> onTick) override { timer_.setOnTick(std::move(onTick)); }

  private:
    ostrevin::platform::Timer& timer_;
    bool allowed_ = false;
};

}  // namespace keyloom
