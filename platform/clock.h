// Time, sleeping and the local date and time formats.
#pragma once

#include <cstdint>
#include <string>

namespace ostrevin::platform {

struct LocalTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int weekday = 4;  // 0 Sunday
};

enum class TimeFormat { ShortDate, LongDate, ShortTime, LongTime };

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
    virtual std::int64_t monotonicMs() = 0;
    virtual void sleepMs(int milliseconds) = 0;
    // The user's locale decides the form.
    virtual std::string format(const LocalTime& time, TimeFormat form) = 0;
};

}  // namespace ostrevin::platform
