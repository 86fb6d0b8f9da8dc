#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "dregmoor/engine/scanner_settings.h"
#include "dregmoor/engine/schedule.h"
#include "platform/fake/fakes.h"

namespace ostrevin::dregmoor {
namespace {

platform::LocalTime at(int y, int mo, int d, int h, int mi, int s = 0) {
    return DateTime::fromParts(y, mo, d, h, mi, s).toLocal();
}

TEST(Calendar, LeapYearsAndMonthLengths) {
    struct Case {
        int year;
        bool leap;
    } years[] = {{1900, false}, {2000, true}, {2100, false}, {2024, true}, {2023, false}};
    for (const auto& c : years) {
        EXPECT_EQ(FBOOLIsLeapYear(c.year), c.leap) << c.year;
        EXPECT_EQ(FINTDaysPerMonth(c.year, 2), c.leap ? 29 : 28) << c.year;
    }
    const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(FINTDaysPerMonth(2023, m), lengths[m - 1]) << m;
}

TEST(Calendar, ChangingMonthsKeepsTheWantedDay) {
    struct Case {
        DateTime from;
        int count;
        DateTime to;
    } cases[] = {
        {DateTime::fromParts(2024, 1, 31), 1, DateTime::fromParts(2024, 2, 29)},
        {DateTime::fromParts(2023, 1, 31), 1, DateTime::fromParts(2023, 2, 28)},
        {DateTime::fromParts(2023, 3, 31), 1, DateTime::fromParts(2023, 4, 30)},
        {DateTime::fromParts(2023, 1, 31), 2, DateTime::fromParts(2023, 3, 31)},
        {DateTime::fromParts(2023, 12, 15, 8, 30), 1, DateTime::fromParts(2024, 1, 15, 8, 30)},
        {DateTime::fromParts(2100, 1, 29), 1, DateTime::fromParts(2100, 2, 28)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(storedDateTime(FDTChangeMonth(c.count, 1, c.from)), storedDateTime(c.to))
            << storedDateTime(c.from);
    EXPECT_EQ(storedDateTime(FDTChangeMonth(1, -1, DateTime::fromParts(2023, 3, 31))),
              "2023-02-28 00:00");
}

TEST(Calendar, StoredDateTimesAndTimesReadBack) {
    EXPECT_EQ(storedDateTime(*parseStoredDateTime("2026-12-08 14:05")), "2026-12-08 14:05");
    EXPECT_EQ(*parseStoredTime("12:00 PM"), 12 * 3'600'000);
    EXPECT_EQ(*parseStoredTime("12:30 AM"), 30 * 60'000);
    EXPECT_EQ(*parseStoredTime(" 7:05:30 "), (7 * 3600 + 5 * 60 + 30) * 1000);
    for (const char* bad : {"2026-02-30 10:00", "2026-13-01", "yesterday", "2026-01-01 24:00"})
        EXPECT_FALSE(parseStoredDateTime(bad)) << bad;
    for (const char* bad : {"13:00 PM", "12", "1:60", ""})
        EXPECT_FALSE(parseStoredTime(bad)) << bad;
}

class NextScan : public ::testing::Test {
  protected:
    std::string next(const std::string& schedule, platform::LocalTime now) {
        IniStore store(folder.path() + "/DREGMOOR.INI");
        store.eraseSection("Schedule");
        store.update(
            [&](IniDocument& doc) { doc = IniDocument::parse("[Schedule]\n" + schedule); });
        clock.current = now;
        return storedDateTime(NextScanTime(store, clock));
    }
    TestFolder folder;
    platform::FakeClock clock;
};

TEST_F(NextScan, FollowsEachKindOfSchedule) {
    struct Case {
        const char* schedule;
        platform::LocalTime now;
        const char* next;
    } cases[] = {
        // Minutes: 30 after the last scan; a passed time moves 86.4 seconds ahead of now.
        {"OptionChecked=1\nMinuteInterval=30\nLastScan=2026-03-02 10:00\n", at(2026, 3, 2, 10, 5),
         "2026-03-02 10:30"},
        {"OptionChecked=1\nMinuteInterval=30\nLastScan=2026-03-02 08:00\n",
         at(2026, 3, 2, 10, 5, 20), "2026-03-02 10:06"},
        // Hours: minute M of the hour N hours on; a passed one takes this hour, then the next.
        {"OptionChecked=2\nHourInterval=3\nHourParameter=30\nLastScan=2026-03-02 09:10\n",
         at(2026, 3, 2, 10, 0), "2026-03-02 12:30"},
        {"OptionChecked=2\nHourInterval=3\nHourParameter=30\nLastScan=2026-02-28 09:10\n",
         at(2026, 3, 2, 10, 45), "2026-03-02 11:30"},
        {"OptionChecked=2\nHourInterval=3\nHourParameter=30\nLastScan=2026-02-28 09:10\n",
         at(2026, 3, 2, 10, 15), "2026-03-02 10:30"},
        // Days: at time T, N days on; passed: today at T, else tomorrow at T.
        {"OptionChecked=3\nDayInterval=1\nDayParameter=12:00\nLastScan=2026-03-01 12:00\n",
         at(2026, 3, 2, 9, 0), "2026-03-02 12:00"},
        {"OptionChecked=3\nDayInterval=1\nDayParameter=12:00\nLastScan=2026-02-23 12:00\n",
         at(2026, 3, 2, 13, 0), "2026-03-03 12:00"},
        {"OptionChecked=3\nDayInterval=1\nDayParameter=12:00\nLastScan=2026-02-23 12:00\n",
         at(2026, 3, 2, 11, 0), "2026-03-02 12:00"},
        // Weeks: W = 2 (Monday). 2026-03-04 is a Wednesday; 2026-03-09 a Monday.
        {"OptionChecked=4\nWeekInterval=1\nWeekParameter=2\nLastScan=2026-02-25 08:15\n",
         at(2026, 3, 1, 9, 0), "2026-03-09 08:15"},
        {"OptionChecked=4\nWeekInterval=1\nWeekParameter=2\nLastScan=2026-02-02 08:15\n",
         at(2026, 3, 9, 9, 40, 30), "2026-03-16 09:40"},
        {"OptionChecked=4\nWeekInterval=2\nWeekParameter=4\nLastScan=2026-02-18 08:15\n",
         at(2026, 3, 1, 9, 0), "2026-03-04 08:15"},
        // Months: day P of the month N months on, at midnight, with no look at the present.
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=31\nLastScan=2026-01-31 10:00\n",
         at(2026, 1, 31, 10, 0), "2026-02-28 00:00"},
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=31\nLastScan=2024-01-31 10:00\n",
         at(2024, 1, 31, 10, 0), "2024-02-28 00:00"},
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=10\nLastScan=2026-03-15 10:00\n",
         at(2026, 6, 1, 10, 0), "2026-05-10 00:00"},
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=31\nLastScan=2026-03-10 10:00\n",
         at(2026, 3, 10, 10, 0), "2026-04-30 00:00"},
        // The last scan on the chosen day: the same day a month on.
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=15\nLastScan=2026-03-15 10:00\n",
         at(2026, 3, 15, 10, 0), "2026-04-15 00:00"},
        // Days 29 and 30 give the 28th in February, in a leap year and in another.
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=29\nLastScan=2024-01-29 10:00\n",
         at(2024, 1, 29, 10, 0), "2024-02-28 00:00"},
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=29\nLastScan=2026-01-29 10:00\n",
         at(2026, 1, 29, 10, 0), "2026-02-28 00:00"},
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=30\nLastScan=2024-01-10 10:00\n",
         at(2024, 1, 10, 10, 0), "2024-02-28 00:00"},
        {"OptionChecked=5\nMonthInterval=1\nMonthParameter=30\nLastScan=2026-01-10 10:00\n",
         at(2026, 1, 10, 10, 0), "2026-02-28 00:00"},
        // The computation's own defaults: 3 hours at minute 30, 1 day at 12:00.
        {"OptionChecked=2\nLastScan=2026-03-02 09:10\n", at(2026, 3, 2, 10, 0), "2026-03-02 12:30"},
        {"OptionChecked=3\nLastScan=2026-03-01 12:00\n", at(2026, 3, 2, 9, 0), "2026-03-02 12:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(next(c.schedule, c.now), c.next) << c.schedule;
}

TEST_F(NextScan, AMissingLastScanIsWrittenAheadOfNow) {
    struct Case {
        int kind;
        const char* lastScan;
    } cases[] = {{1, "2026-03-02 10:06"}, {3, "2026-03-02 10:06"}, {4, "2026-03-02 10:08"}};
    for (const auto& c : cases) {
        next("OptionChecked=" + std::to_string(c.kind) + "\n", at(2026, 3, 2, 10, 5, 20));
        IniStore store(folder.path() + "/DREGMOOR.INI");
        EXPECT_EQ(store.readString("Schedule", "LastScan", ""), c.lastScan) << c.kind;
    }
}

TEST_F(NextScan, UnreadableScheduleValuesAreReported) {
    struct Case {
        const char* schedule;
        const char* message;
    } cases[] = {
        {"OptionChecked=1\nMinuteInterval=x\nLastScan=2026-03-02 10:00\n",
         "'x' is not a valid integer value"},
        {"OptionChecked=3\nDayParameter=noon\nLastScan=2026-03-02 10:00\n",
         "'noon' is not a valid time"},
        {"OptionChecked=1\nLastScan=someday\n", "'someday' is not a valid date and time"},
        {"OptionChecked=5\nMonthParameter=32\nLastScan=2026-02-02 10:00\n",
         "'32' is not a valid day of the month"},
    };
    for (const auto& c : cases) {
        try {
            next(c.schedule, at(2026, 3, 2, 10, 0));
            ADD_FAILURE() << c.schedule;
        } catch (const SettingsError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST_F(NextScan, TheTimerScansOnceWhenTheMinuteComesAndReschedules) {
    next("OptionChecked=1\nMinuteInterval=30\nLastScan=2026-03-02 10:00\n", at(2026, 3, 2, 10, 5));
    IniStore store(folder.path() + "/DREGMOOR.INI");
    ScanSchedule schedule(store, clock);
    EXPECT_EQ(storedDateTime(schedule.reschedule()), "2026-03-02 10:30");
    int scans = 0;
    const auto scan = [&] { ++scans; };
    clock.current = at(2026, 3, 2, 10, 29, 59);
    EXPECT_FALSE(schedule.tick(true, scan));
    clock.current = at(2026, 3, 2, 10, 30, 0);
    EXPECT_FALSE(schedule.tick(false, scan));  // scheduling off: nothing
    EXPECT_TRUE(schedule.tick(true, scan));
    EXPECT_FALSE(schedule.tick(true, scan));
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(store.readString("Schedule", "LastScan", ""), "2026-03-02 10:30");
    EXPECT_EQ(storedDateTime(*schedule.due()), "2026-03-02 11:00");
    EXPECT_EQ(nextScanText(*schedule.due(), clock), "Next Scan: 03/02/2026 11:00:00");
    EXPECT_EQ(nextScanText(DateTime::fromParts(2026, 5, 10), clock), "Next Scan: 05/10/2026");
}

}  // namespace
}  // namespace ostrevin::dregmoor
