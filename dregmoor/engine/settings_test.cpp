#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/test_folder.h"
#include "dregmoor/engine/scanner_settings.h"
#include "platform/fake/fakes.h"

namespace ostrevin::dregmoor {
namespace {

class SettingsTest : public ::testing::Test {
  protected:
    std::string path() const { return folder.path() + "/DREGMOOR.INI"; }
    void write(const std::string& text) { std::ofstream(path()) << text; }
    std::string read() const {
        std::ifstream in(path());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    LoadOutcome load(ScannerSettings& s, std::size_t drives = 4) {
        SettingsFile file(path());
        return file.load(s, drives, clock);
    }

    TestFolder folder;
    platform::FakeClock clock;
};

TEST_F(SettingsTest, MissingFileGivesTheDefaultsAndMarksTheFirstRun) {
    ScannerSettings s;
    s.cleanMode = CleanMode::MoveToFolder;  // a file default must replace what the window had
    const auto outcome = load(s);
    EXPECT_FALSE(outcome.error);
    EXPECT_TRUE(outcome.firstRun);
    EXPECT_EQ(s.drives, std::vector<bool>(4, false));
    EXPECT_TRUE(s.patterns.empty());
    EXPECT_TRUE(s.tempFolder && s.cacheFolder && s.cookieFolder);
    EXPECT_FALSE(s.autoErase);
    EXPECT_EQ(s.cleanMode, CleanMode::Delete);
    EXPECT_TRUE(s.autoScan);
    EXPECT_EQ(s.kind, ScheduleKind::Minutes);
    EXPECT_EQ(s.minuteInterval, "30");
    EXPECT_EQ(s.hourInterval, "5");
    EXPECT_EQ(s.dayInterval, "5");
    EXPECT_EQ(s.spaceToCheck, "100");
    EXPECT_EQ(s.dayHour * 60 + s.dayMinute, 21 * 60 + 30);  // the present time
    // The first start is remembered; the second is not a first run.
    EXPECT_NE(read().find("FirstRun=0"), std::string::npos);
    EXPECT_FALSE(load(s).firstRun);
}

TEST_F(SettingsTest, SavedSettingsLoadBackUnchanged) {
    ScannerSettings s;
    s.autoErase = true;
    s.drives = {false, true, false, true};
    s.cleanMode = CleanMode::MoveToFolder;
    s.patterns = {{"*.tmp", true}, {"~*.*", false}, {"Thumbs.db", true}};
    s.tempFolder = false;
    s.cookieFolder = false;
    s.autoScan = false;
    s.checkSpace = true;
    s.spaceToCheck = " 250 ";
    s.kind = ScheduleKind::Weeks;
    s.minuteInterval = "15";
    s.hourInterval = "7";
    s.hourParameter = "45";
    s.dayInterval = "2";
    s.weekInterval = "3";
    s.monthInterval = "6";
    s.monthParameter = "31";
    s.dayHour = 23;
    s.dayMinute = 5;
    s.weekday = 7;
    SettingsFile(path()).save(s);
    EXPECT_NE(read().find("Drives=1,3,"), std::string::npos);
    EXPECT_NE(read().find("ScanFor=*.tmp,1,~*.*,0,Thumbs.db,1,"), std::string::npos);
    ScannerSettings back;
    ASSERT_FALSE(load(back).error);
    s.spaceToCheck = "250";
    EXPECT_EQ(back, s);
}

TEST_F(SettingsTest, EmptyListsRemoveTheirKeysAndNoKindKeepsTheStoredOne) {
    write("[Settings]\nDrives=0,\n[Scan]\nScanFor=*.tmp,1,\n[Schedule]\nOptionChecked=3\n");
    ScannerSettings s;
    s.drives = {false, false};
    s.kind = ScheduleKind::None;
    s.weekday = 0;
    SettingsFile(path()).save(s);
    const std::string text = read();
    EXPECT_EQ(text.find("Drives"), std::string::npos);
    EXPECT_EQ(text.find("ScanFor"), std::string::npos);
    EXPECT_NE(text.find("OptionChecked=3"), std::string::npos);
    EXPECT_NE(text.find("WeekParameter=0"), std::string::npos);
    ScannerSettings back;
    load(back);
    EXPECT_EQ(back.weekday, 0);
}

TEST_F(SettingsTest, StoredValuesOutsideTheirRangesSelectNothingOrKeepTheWindowsChoice) {
    struct Case {
        const char* file;
        CleanMode mode;
        ScheduleKind kind;
        int weekday;
    } cases[] = {
        {"[Settings]\nDeleteOption=7\n[Schedule]\nOptionChecked=9\nWeekParameter=8\n",
         CleanMode::Recycle, ScheduleKind::None, 0},
        {"[Settings]\nDeleteOption=0x3\n[Schedule]\nOptionChecked=5\nWeekParameter=2\n",
         CleanMode::MoveToFolder, ScheduleKind::Months, 2},
        {"[Settings]\nDeleteOption=two\n[Schedule]\nOptionChecked=\nWeekParameter=-1\n",
         CleanMode::Delete, ScheduleKind::Minutes, 0},
    };
    for (const auto& c : cases) {
        write(c.file);
        ScannerSettings s;  // the window's own choice is the recycle bin
        EXPECT_FALSE(load(s).error) << c.file;
        EXPECT_EQ(s.cleanMode, c.mode) << c.file;
        EXPECT_EQ(s.kind, c.kind) << c.file;
        EXPECT_EQ(s.weekday, c.weekday) << c.file;
    }
}

TEST_F(SettingsTest, UnreadableValuesStopLoadingWithTheirMessage) {
    struct Case {
        const char* file;
        const char* message;
    } cases[] = {
        {"[Schedule]\nHourInterval= \n", "'' is not a valid integer value"},
        {"[Schedule]\nMinuteInterval=1x\n", "'1x' is not a valid integer value"},
        {"[Schedule]\nDayParameter=25:00\n", "'25:00' is not a valid time"},
        {"[Settings]\nDrives=1,a,\n", "'a' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        write(std::string(c.file) + "[Scan]\nCheck1=0\n");
        ScannerSettings s;
        const auto outcome = load(s);
        ASSERT_TRUE(outcome.error) << c.file;
        EXPECT_EQ(*outcome.error, c.message);
    }
    // The steps before the failing one took effect; the later ones kept the window's values.
    write("[Scan]\nCheck1=0\n[Schedule]\nHourInterval=x\nWeekParameter=3\n");
    ScannerSettings s;
    load(s);
    EXPECT_FALSE(s.tempFolder);
    EXPECT_EQ(s.weekday, 0);
}

TEST_F(SettingsTest, SavingAfterAFailedLoadKeepsTheKeysItNeverRead) {
    write(
        "[Scan]\nCheck1=0\n[Schedule]\nHourInterval=x\nDayInterval=7\nWeekParameter=3\n"
        "MonthParameter=15\n");
    SettingsFile file(path());
    ScannerSettings s;
    ASSERT_TRUE(file.load(s, 4, clock).error);
    file.noteShown(s);
    struct Step {
        const char* what;
        void (*change)(ScannerSettings&);
        std::vector<std::string> stored;
    };
    const Step steps[] = {
        // The failing key itself cannot be read, so the window's value replaces it.
        {"nothing changed",
         [](ScannerSettings&) {},
         {"Check1=0", "HourInterval=5", "DayInterval=7", "WeekParameter=3", "MonthParameter=15"}},
        {"one control changed",
         [](ScannerSettings& x) { x.dayInterval = "9"; },
         {"DayInterval=9", "WeekParameter=3", "MonthParameter=15"}},
        {"changed back to the start value",
         [](ScannerSettings& x) { x.dayInterval = "5"; },
         {"DayInterval=5", "WeekParameter=3", "MonthParameter=15"}},
    };
    for (const auto& step : steps) {
        step.change(s);
        file.save(s);
        const std::string text = read();
        for (const auto& line : step.stored)
            EXPECT_NE(text.find(line + "\n"), std::string::npos) << step.what << ": " << text;
    }
    // Once the file reads whole, every key is written again.
    SettingsFile again(path());
    ScannerSettings fresh;
    ASSERT_FALSE(again.load(fresh, 4, clock).error);
    EXPECT_EQ(fresh.weekday, 3);
    fresh.weekday = 5;
    fresh.monthParameter = "1";
    again.save(fresh);
    EXPECT_NE(read().find("WeekParameter=5\n"), std::string::npos);
    EXPECT_NE(read().find("MonthParameter=1\n"), std::string::npos);
}

TEST(SettingsLists, DrivesAndPatternsReadAsStored) {
    EXPECT_EQ(parseDrives("1,3,", 5), (std::vector<bool>{false, true, false, true, false}));
    EXPECT_EQ(parseDrives("12,", 4), std::vector<bool>(4, false));
    EXPECT_EQ(parseDrives("12,", 13).back(), true);
    EXPECT_EQ(parseDrives("0", 2), (std::vector<bool>{true, false}));
    EXPECT_EQ(drivesValue({true, false, true}), "0,2,");

    struct Case {
        const char* stored;
        std::vector<PatternRow> rows;
    } cases[] = {
        {"*.tmp,1,~*.*,0,", {{"*.tmp", true}, {"~*.*", false}}},
        {"*.bak,x,*.old,11,", {{"*.bak", false}, {"*.old", true}}},
        {"*.tmp,1,*.cut", {{"*.tmp", true}, {"*.cut", false}}},  // a value cut short
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(parsePatterns(c.stored), c.rows) << c.stored;
}

TEST(SettingsLists, TicksStayWithTheFilesystemTheyWereGiven) {
    const std::vector<std::string> now = {"a", "b", "c"};
    struct Case {
        const char* drives;
        const char* recorded;
        std::vector<std::string> ids;
        std::vector<bool> ticks;
        const char* unrecorded;
    } cases[] = {
        {"1,", "1:b,", now, {false, true, false}, ""},
        {"1,", "1:x,", now, {false, false, false}, ""},      // another filesystem there, x gone
        {"1,", "1:c,", now, {false, false, true}, ""},       // the tick follows its filesystem
        {"5,", "5:a,", now, {true, false, false}, ""},       // from a row that is no more
        {"0,2,", "", now, {true, false, true}, "0:a,2:c,"},  // by hand: what stands there now
        {"0,1,", "0:b,junk,:,1:", now, {false, true, false}, "1:b,"},
        {"1,", "1:b,", {"", "", ""}, {false, true, false}, ""},  // ids unknown: by position
    };
    for (const auto& c : cases) {
        std::string unrecorded;
        EXPECT_EQ(placeDrives(c.drives, c.recorded, c.ids, unrecorded), c.ticks)
            << c.drives << " " << c.recorded;
        EXPECT_EQ(unrecorded, c.unrecorded) << c.drives << " " << c.recorded;
    }
}

TEST_F(SettingsTest, TicksGivenByHandAreTiedToTheirFilesystemsOnLoading) {
    write("[Settings]\nDrives=1,\n");
    SettingsFile file(path());
    ScannerSettings s;
    ASSERT_FALSE(file.load(s, {"a", "b"}, clock).error);
    EXPECT_NE(read().find("DriveIds=1:b,\n"), std::string::npos) << read();
    // A new mount took the first place: the tick moves along, and saving says so.
    SettingsFile later(path());
    ASSERT_FALSE(later.load(s, {"n", "a", "b"}, clock).error);
    EXPECT_EQ(s.drives, (std::vector<bool>{false, false, true}));
    later.save(s);
    EXPECT_NE(read().find("Drives=2,\nDriveIds=2:b,\n"), std::string::npos) << read();
}

TEST(SettingsLists, PatternsThatCouldNotBeReadBackAreRefused) {
    std::vector<PatternRow> rows;
    addPattern(rows, "  *.tmp ");
    EXPECT_EQ(rows, (std::vector<PatternRow>{{"*.tmp", true}}));
    EXPECT_THROW(addPattern(rows, "a,b"), SettingsError);
    EXPECT_THROW(addPattern(rows, "   "), SettingsError);
    // Fill the stored value up to its last readable character, then one more is refused.
    while (patternsValue(rows).size() + 13 <= IniDocument::kMaxValueChars)
        addPattern(rows, "*.abcdefghij");
    const auto before = rows;
    try {
        addPattern(rows, "*.abcdefghij");
        FAIL() << "a pattern beyond the readable length was added";
    } catch (const SettingsError& e) {
        EXPECT_NE(std::string(e.what()).find("full"), std::string::npos);
    }
    EXPECT_EQ(rows, before);
    EXPECT_EQ(parsePatterns(patternsValue(rows)), rows);
}

TEST(SettingsLists, SpaceThresholdMustBeANumberFrom1To9999) {
    for (const char* good : {"1", " 9999", "100"}) EXPECT_FALSE(checkSpaceToCheck(good)) << good;
    for (const char* bad : {"", "0", "10000", "ten"})
        EXPECT_EQ(checkSpaceToCheck(bad), "Please enter a value between 1 and 9999") << bad;
}

}  // namespace
}  // namespace ostrevin::dregmoor
