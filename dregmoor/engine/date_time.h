// Local date-time values for the schedule: milliseconds since 1970-01-01 00:00 local time, with
// no time zone (the schedule works in wall-clock time, as the user reads it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace ostrevin::dregmoor {

constexpr std::int64_t kMsPerMinute = 60'000;
constexpr std::int64_t kMsPerDay = 86'400'000;

struct DateTime {
    std::int64_t ms = 0;

    static DateTime fromLocal(const platform::LocalTime& t);
    static DateTime fromParts(int year, int month, int day, int hour = 0, int minute = 0,
                              int second = 0);
    platform::LocalTime toLocal() const;  // weekday filled in, 0 = Sunday

    DateTime toMinute() const;  // seconds and milliseconds dropped
    DateTime date() const;      // midnight of the same day
    std::int64_t minuteIndex() const { return toMinute().ms / kMsPerMinute; }
    DateTime plusMs(std::int64_t add) const { return {ms + add}; }
    DateTime plusDays(double days) const;

    auto operator<=>(const DateTime&) const = default;
};

// Days since 1970-01-01 of a civil date, and back.
std::int64_t daysFromCivil(int year, int month, int day);
void civilFromDays(std::int64_t days, int& year, int& month, int& day);

// The stored forms: "2026-12-08 14:05" for date-times and "14:05" for times of day, so that a
// change of locale never makes a stored value unreadable. Reading also takes seconds and a
// 12-hour clock with "AM"/"PM".
std::string storedDateTime(DateTime t);
std::string storedTime(int hour, int minute);
std::optional<DateTime> parseStoredDateTime(std::string_view text);
// Milliseconds since midnight.
std::optional<std::int64_t> parseStoredTime(std::string_view text);

}  // namespace ostrevin::dregmoor
