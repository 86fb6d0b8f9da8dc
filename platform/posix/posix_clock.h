#pragma once

#include <string>

#include "platform/clock.h"

namespace ostrevin::platform {

class PosixClock : public Clock {
  public:
    LocalTime now() override;
    std::int64_t monotonicMs() override;
    void sleepMs(int milliseconds) override;
    std::string format(const LocalTime& time, TimeFormat form) override;

    static std::string longDatePattern(const std::string& shortDate);
    static std::string shortTimePattern(const std::string& time);
};

}  // namespace ostrevin::platform
