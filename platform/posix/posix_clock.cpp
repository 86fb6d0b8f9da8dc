#include "platform/posix/posix_clock.h"

#include <langinfo.h>
#include <chrono>
#include <ctime>
#include <thread>

namespace ostrevin::platform {

// The C library has the locale's short date and its time; the long date spells out the weekday
// and the month in the order of the short date, and the short time drops the seconds. The day
// has no padding ("%-d"): "December 7", not "December  7".
std::string PosixClock::longDatePattern(const std::string& shortDate) {
    const auto day = shortDate.find("%d"), month = shortDate.find("%m"),
               year = shortDate.find("%Y");
    if (year != std::string::npos && year == 0) return "%Y %B %-d, %A";
    if (month != std::string::npos && day != std::string::npos && month < day)
        return "%A, %B %-d, %Y";
    return "%A, %-d %B %Y";
}

std::string PosixClock::shortTimePattern(const std::string& time) {
    std::string out;
    for (std::size_t i = 0; i < time.size(); ++i) {
        const std::string_view rest = std::string_view(time).substr(i);
        if (rest.substr(0, 2) == "%T")
            out += "%H:%M", ++i;
        else if (rest.substr(0, 2) == "%r")
            out += "%I:%M %p", ++i;
        else if (rest.substr(0, 3) == ":%S")
            i += 2;
        else
            out += time[i];
    }
    return out;
}

LocalTime PosixClock::now() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     tm.tm_wday};
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
    std::string pattern;
    switch (form) {
        case TimeFormat::ShortDate: pattern = ::nl_langinfo(D_FMT); break;
        case TimeFormat::LongDate: pattern = longDatePattern(::nl_langinfo(D_FMT)); break;
        case TimeFormat::ShortTime: pattern = shortTimePattern(::nl_langinfo(T_FMT)); break;
        case TimeFormat::LongTime: pattern = ::nl_langinfo(T_FMT); break;
    }
    char buf[256];
    std::size_t n = std::strftime(buf, sizeof buf, pattern.c_str(), &tm);
    return std::string(buf, n);
}

}  // namespace ostrevin::platform
