#include "dregmoor/engine/date_time.h"

#include <cmath>
#include <cstdio>

#include "common/text.h"

namespace ostrevin::dregmoor {

// Howard Hinnant's civil-calendar conversions (proleptic Gregorian).
std::int64_t daysFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

namespace {
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}
}  // namespace

DateTime DateTime::fromParts(int year, int month, int day, int hour, int minute, int second) {
    return {daysFromCivil(year, month, day) * kMsPerDay +
            (static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second) * 1000};
}

DateTime DateTime::fromLocal(const platform::LocalTime& t) {
    return fromParts(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

platform::LocalTime DateTime::toLocal() const {
    platform::LocalTime t;
    const std::int64_t days = floorDiv(ms, kMsPerDay);
    civilFromDays(days, t.year, t.month, t.day);
    const std::int64_t secs = (ms - days * kMsPerDay) / 1000;
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs / 60 % 60);
    t.second = static_cast<int>(secs % 60);
    t.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    return t;
}

DateTime DateTime::toMinute() const {
    return {floorDiv(ms, kMsPerMinute) * kMsPerMinute};
}
DateTime DateTime::date() const {
    return {floorDiv(ms, kMsPerDay) * kMsPerDay};
}

DateTime DateTime::plusDays(double days) const {
    return {ms + static_cast<std::int64_t>(std::llround(days * static_cast<double>(kMsPerDay)))};
}

std::string storedDateTime(DateTime t) {
    const auto l = t.toLocal();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", l.year, l.month, l.day, l.hour,
                  l.minute);
    return buf;
}

std::string storedTime(int hour, int minute) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", hour, minute);
    return buf;
}

namespace {

// Reads digits at pos; false when there are none or too many.
bool number(std::string_view text, std::size_t& pos, int& out, std::size_t maxDigits) {
    std::size_t start = pos;
    out = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < maxDigits)
        out = out * 10 + (text[pos++] - '0');
    return pos > start;
}

std::optional<std::int64_t> parseTimeAt(std::string_view text, std::size_t pos) {
    int hour = 0, minute = 0, second = 0;
    if (!number(text, pos, hour, 2) || pos >= text.size() || text[pos++] != ':') return {};
    if (!number(text, pos, minute, 2)) return {};
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!number(text, pos, second, 2)) return {};
    }
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const std::string rest = upperAscii(text.substr(pos));
    if (rest == "AM" || rest == "PM") {
        if (hour < 1 || hour > 12) return {};
        hour = hour % 12 + (rest == "PM" ? 12 : 0);
    } else if (!rest.empty()) {
        return {};
    }
    if (hour > 23 || minute > 59 || second > 59) return {};
    return (static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second) * 1000;
}

}  // namespace

std::optional<std::int64_t> parseStoredTime(std::string_view text) {
    return parseTimeAt(trimControl(text), 0);
}

std::optional<DateTime> parseStoredDateTime(std::string_view raw) {
    const std::string text = trimControl(raw);
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0;
    if (!number(text, pos, year, 4) || pos >= text.size() || text[pos++] != '-') return {};
    if (!number(text, pos, month, 2) || pos >= text.size() || text[pos++] != '-') return {};
    if (!number(text, pos, day, 2)) return {};
    if (month < 1 || month > 12 || day < 1 || day > 31) return {};
    int dy = 0, dm = 0, dd = 0;
    civilFromDays(daysFromCivil(year, month, day), dy, dm, dd);
    if (dd != day) return {};  // 31 April and the like
    DateTime date = DateTime::fromParts(year, month, day);
    if (pos == text.size()) return date;
    if (text[pos] != ' ' && text[pos] != 'T') return {};
    auto time = parseTimeAt(text, pos + 1);
    if (!time) return {};
    return date.plusMs(*time);
}

}  // namespace ostrevin::dregmoor
