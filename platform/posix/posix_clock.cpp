#include "platform/posix/posix_clock.h"

#include <chrono>
#include <ctime>
#include <langinfo.h>
#include <thread>

namespace ostrevin::platform {

LocalTime PosixClock::now() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
            tm.tm_wday};
}

std::int64_t PosixClock::monotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PosixClock::sleepMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string PosixClock::format(const LocalTime& time, TimeFormat form) {
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    tm.tm_wday = time.weekday;
    tm.tm_isdst = -1;
    // The C library knows the locale's date and time forms; "long" forms add the weekday and
    // the month's name, "short" time drops the seconds.
    const char* pattern = nullptr;
    switch (form) {
        case TimeFormat::ShortDate: pattern = ::nl_langinfo(D_FMT); break;
        case TimeFormat::LongDate: pattern = "%A, %e %B %Y"; break;
        case TimeFormat::ShortTime: pattern = "%H:%M"; break;
        case TimeFormat::LongTime: pattern = ::nl_langinfo(T_FMT); break;
    }
    char buf[256];
    std::size_t n = std::strftime(buf, sizeof buf, pattern, &tm);
    return std::string(buf, n);
}

}  // namespace ostrevin::platform
