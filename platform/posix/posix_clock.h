#pragma once

#include "platform/clock.h"

namespace ostrevin::platform {

class PosixClock : public Clock {
public:
    LocalTime now() override;
    std::int64_t monotonicMs() override;
    void sleepMs(int milliseconds) override;
    std::string format(const LocalTime& time, TimeFormat form) override;
};

}  // namespace ostrevin::platform
