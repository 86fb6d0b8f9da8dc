#include "dregmoor/engine/schedule.h"

#include "common/text.h"
#include "dregmoor/engine/scanner_settings.h"

namespace ostrevin::dregmoor {

namespace {

constexpr const char* kSchedule = "Schedule";
constexpr std::int64_t kMsPerHour = 3'600'000;
// The schedule's own steps in days: 0.001 (86.4 s), 0.002, 0.0007 per minute of interval.
constexpr std::int64_t kStep1 = 86'400, kStep2 = 172'800, kMsPerIntervalMinute = 60'480;

int textNumber(IniStore& store, const char* key, int fallback) {
    const std::string raw = store.readString(kSchedule, key, toDecimal(fallback));
    const std::string trimmed = trimControl(raw);
    auto value = parseInteger(trimmed);
    if (!value) throw SettingsError("'" + trimmed + "' is not a valid integer value");
    return *value;
}

DateTime lastScan(IniStore& store, platform::Clock& clock, int kind) {
    const DateTime now = DateTime::fromLocal(clock.now());
    if (store.readString(kSchedule, "LastScan", "").empty()) {
        const std::int64_t ahead = (kind == 4 || kind == 5) ? kStep2 : kStep1;
        store.writeString(kSchedule, "LastScan", storedDateTime(now.plusMs(ahead).toMinute()));
    }
    const std::string text = store.readString(kSchedule, "LastScan", "");
    if (text.empty()) return now;
    auto last = parseStoredDateTime(text);
    if (!last) throw SettingsError("'" + trimControl(text) + "' is not a valid date and time");
    return *last;
}

DateTime atMinute(DateTime day, int hour, int minute) {
    return day.date().plusMs(hour * kMsPerHour + minute * kMsPerMinute);
}

DateTime minutes(DateTime last, DateTime now, int n) {
    DateTime candidate = last.plusMs(n * kMsPerIntervalMinute);
    if (candidate.minuteIndex() < now.minuteIndex()) candidate = now.plusMs(kStep1);
    return candidate.toMinute();
}

DateTime hours(DateTime last, DateTime now, int n, int m) {
    if (m < 0 || m > 59) throw SettingsError("'" + toDecimal(m) + "' is not a valid time");
    DateTime candidate = last.plusDays(n * 0.041666667);
    candidate = atMinute(candidate, candidate.toLocal().hour, m);
    if (now.minuteIndex() > candidate.minuteIndex()) {
        candidate = atMinute(now, now.toLocal().hour, m);
        if (now.minuteIndex() > candidate.minuteIndex()) candidate = candidate.plusMs(kMsPerHour);
    }
    return candidate;
}

DateTime days(DateTime last, DateTime now, int n, std::int64_t timeOfDay) {
    DateTime candidate = last.plusMs(n * kMsPerDay).date().plusMs(timeOfDay);
    if (now < candidate) return candidate;
    if (now.minuteIndex() > candidate.minuteIndex()) {
        candidate = now.date().plusMs(timeOfDay);
        if (now.minuteIndex() > candidate.minuteIndex())
            candidate = now.plusMs(kMsPerDay).date().plusMs(timeOfDay);
    }
    return candidate;
}

// Days to add to a date of weekday (1 Sunday .. 7 Saturday) to reach weekday w.
int daysToWeekday(int weekday, int w) {
    const int d = weekday - w;
    if (d > 0) return 7 - d;
    if (d < 0) return -d;
    return 7;
}

DateTime weeks(DateTime last, DateTime now, int n, int w) {
    const DateTime candidate = last.plusMs(7 * n * kMsPerDay);
    if (now.minuteIndex() > candidate.minuteIndex())
        return now.plusMs(daysToWeekday(now.toLocal().weekday + 1, w) * kMsPerDay).toMinute();
    const int weekday = candidate.toLocal().weekday + 1;
    if (weekday == w) return candidate;
    return candidate.plusMs(daysToWeekday(weekday, w) * kMsPerDay).toMinute();
}

DateTime months(DateTime last, int n, int p) {
    DateTime s = FDTChangeMonth(n, 1, last.date());
    if (p < s.toLocal().day) s = FDTChangeMonth(1, 1, s);
    const auto l = s.toLocal();
    int day = p;
    if (p >= 29 && l.month == 2)
        day = 28;
    else if (p > 30 && (l.month == 4 || l.month == 6 || l.month == 9 || l.month == 11))
        day = 30;
    if (day < 1 || day > FINTDaysPerMonth(l.year, l.month))
        throw SettingsError("'" + toDecimal(p) + "' is not a valid day of the month");
    return DateTime::fromParts(l.year, l.month, day);
}

}  // namespace

bool FBOOLIsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int FINTDaysPerMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && FBOOLIsLeapYear(year)) return 29;
    return kDays[(month - 1) % 12];
}

DateTime FDTChangeMonth(int count, int direction, DateTime date) {
    const std::int64_t timeOfDay = date.ms - date.date().ms;
    const int wanted = date.toLocal().day;
    DateTime current = date.date();
    for (int i = 0; i < count; ++i) {
        const auto l = current.toLocal();
        const DateTime edge =
            direction > 0 ? DateTime::fromParts(l.year, l.month, FINTDaysPerMonth(l.year, l.month))
                          : DateTime::fromParts(l.year, l.month, 1);
        const auto reached = edge.plusMs(direction * kMsPerDay).toLocal();
        const int day = std::min(wanted, FINTDaysPerMonth(reached.year, reached.month));
        current = DateTime::fromParts(reached.year, reached.month, day);
    }
    return current.plusMs(timeOfDay);
}

DateTime NextScanTime(IniStore& store, platform::Clock& clock) {
    const int kind = store.readInteger(kSchedule, "OptionChecked", 1);
    const DateTime last = lastScan(store, clock, kind);
    const DateTime now = DateTime::fromLocal(clock.now());
    switch (kind) {
        case 2:
            return hours(last, now, textNumber(store, "HourInterval", 3),
                         textNumber(store, "HourParameter", 30));
        case 3: {
            const std::string text = store.readString(kSchedule, "DayParameter", "12:00");
            auto time = parseStoredTime(text);
            if (!time) throw SettingsError("'" + trimControl(text) + "' is not a valid time");
            return days(last, now, textNumber(store, "DayInterval", 1), *time);
        }
        case 4:
            return weeks(last, now, textNumber(store, "WeekInterval", 1),
                         store.readInteger(kSchedule, "WeekParameter", 0));
        case 5:
            return months(last, textNumber(store, "MonthInterval", 1),
                          textNumber(store, "MonthParameter", 1));
        default:  // kind 1, and a kind the window never stores
            return minutes(last, now, textNumber(store, "MinuteInterval", 30));
    }
}

std::string nextScanText(DateTime when, platform::Clock& clock) {
    const auto l = when.toLocal();
    std::string text = "Next Scan: ";
    text += clock.format(l, platform::TimeFormat::ShortDate);
    if (when != when.date()) {
        text += ' ';
        text += clock.format(l, platform::TimeFormat::LongTime);
    }
    return text;
}

DateTime ScanSchedule::reschedule() {
    due_.reset();  // a schedule that cannot be read must not rescan every tick
    due_ = NextScanTime(store_, clock_);
    return *due_;
}

bool ScanSchedule::tick(bool scheduleOn, const std::function<void()>& runTimedScan) {
    if (!scheduleOn || !due_) return false;
    const DateTime now = DateTime::fromLocal(clock_.now());
    if (now.minuteIndex() < due_->minuteIndex()) return false;
    store_.writeString(kSchedule, "LastScan", storedDateTime(now.toMinute()));
    due_.reset();
    try {
        if (runTimedScan) runTimedScan();
    } catch (...) {
        try {
            reschedule();
        } catch (...) {
        }
        throw;
    }
    reschedule();
    return true;
}

}  // namespace ostrevin::dregmoor
