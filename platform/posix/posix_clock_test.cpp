#include "platform/posix/posix_clock.h"

#include <gtest/gtest.h>

namespace ostrevin::platform {
namespace {

TEST(PosixClock, PatternsFollowTheLocale) {
    struct Case {
        const char* shortDate;
        const char* longDate;
    };
    const Case dates[] = {{"%m/%d/%y", "%A, %B %-d, %Y"},
                          {"%d.%m.%Y", "%A, %-d %B %Y"},
                          {"%Y-%m-%d", "%Y %B %-d, %A"},
                          {"", "%A, %-d %B %Y"}};
    for (const auto& c : dates) EXPECT_EQ(PosixClock::longDatePattern(c.shortDate), c.longDate);
    struct Time {
        const char* time;
        const char* shortTime;
    };
    const Time times[] = {{"%H:%M:%S", "%H:%M"},
                          {"%T", "%H:%M"},
                          {"%r", "%I:%M %p"},
                          {"%I:%M:%S %p", "%I:%M %p"},
                          {"%Hh%M", "%Hh%M"}};
    for (const auto& c : times) EXPECT_EQ(PosixClock::shortTimePattern(c.time), c.shortTime);
}

TEST(PosixClock, FormatsInTheCLocale) {
    PosixClock clock;
    const LocalTime t{2026, 12, 7, 21, 5, 9, 1};
    EXPECT_EQ(clock.format(t, TimeFormat::ShortDate), "12/07/26");
    EXPECT_EQ(clock.format(t, TimeFormat::LongDate), "Monday, December 7, 2026");
    EXPECT_EQ(clock.format({2026, 12, 17, 0, 0, 0, 4}, TimeFormat::LongDate),
              "Thursday, December 17, 2026");
    EXPECT_EQ(clock.format(t, TimeFormat::ShortTime), "21:05");
    EXPECT_EQ(clock.format(t, TimeFormat::LongTime), "21:05:09");
}

}  // namespace
}  // namespace ostrevin::platform
