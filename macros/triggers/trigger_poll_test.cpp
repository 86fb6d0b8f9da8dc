#include "macros/triggers/trigger_poll.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/test_folder.h"
#include "platform/fake/fakes.h"
#include "platform/posix/posix_file_system.h"

namespace keyloom {
namespace {

using ostrevin::platform::WindowInfo;

struct PollFixture {
    ostrevin::TestFolder folder;
    ostrevin::IniStore store{folder.path() + "/macros.ini"};
    ostrevin::platform::PosixFileSystem files;
    MacroCatalogue catalogue{store, "/prog/", files};
    ostrevin::platform::FakeWindowSystem windows;
    ostrevin::platform::FakeMessagePump pump;
    ostrevin::platform::FakeTimer timer;
    std::vector<int> runs;
    std::function<void(int)> onRun;
    TriggerPoll poll{{catalogue, files, windows, pump, timer, [this](int n) {
                          runs.push_back(n);
                          if (onRun) onRun(n);
                      }}};

    explicit PollFixture(const std::vector<std::string>& triggers,
                         const std::string& interval = "") {
        store.update([&](ostrevin::IniDocument& doc) {
            doc.set("Main", "Entries", std::to_string(triggers.size()));
            if (!interval.empty()) doc.set("Main", "SearchInterval", interval);
            for (std::size_t i = 0; i < triggers.size(); ++i) {
                const std::string section = MacroCatalogue::section(static_cast<int>(i) + 1);
                doc.set(section, "Name", "M" + std::to_string(i + 1));
                doc.set(section, "Type", "4");
                doc.set(section, "Trigger", triggers[i]);
            }
        });
        poll.Start();
    }
    std::string found(int n) {
        return store.readString(MacroCatalogue::section(n), "FoundHandle", "");
    }
};

TEST(TriggerPoll, MatchesTitlesWithoutBlanksAndLetterCase) {
    struct Case {
        std::string trigger, title;
        bool fires;
    };
    const std::vector<Case> cases = {
        {"Untitled - Notepad", " untitled - notepad ", true},
        {"Untitled - Notepad", "\tUNTITLED - NOTEPAD\n", true},
        {"  untitled - notepad", "Untitled - Notepad", true},
        {"Untitled - Notepad", "Untitled - Notepad*", false},
        {"Untitled - Notepad", "Untitled", false},
        {"Größe - Ärger", "GRößE - ärger", false},  // only a to z change case
        {"Größe - Ärger", "größe - Ärger", true},
        {std::string(249, 'x'), std::string(249, 'x') + "tail", true},
        {std::string(250, 'x'), std::string(250, 'x'), false},
        {"", "", false},  // no trigger, not the trigger of untitled windows
        {"", " ", false},
    };
    for (const Case& c : cases) {
        PollFixture f({c.trigger});
        f.windows.windows = {{77, c.title, true}};
        f.timer.fire();
        EXPECT_EQ(f.runs.size(), c.fires ? 1u : 0u) << c.trigger << " / " << c.title;
        EXPECT_EQ(f.found(1), c.fires ? "77" : "") << c.trigger << " / " << c.title;
    }
}

TEST(TriggerPoll, FiresOncePerWindowAndAgainForANewOne) {
    PollFixture f({"Report"});
    f.windows.windows = {{10, "Report", true}};
    f.timer.fire();
    f.timer.fire();
    f.timer.fire();
    EXPECT_EQ(f.runs, std::vector<int>{1});
    f.windows.windows = {{11, "Report", true}, {10, "Report", true}};
    f.timer.fire();
    f.timer.fire();
    EXPECT_EQ(f.runs, (std::vector<int>{1, 1}));
    EXPECT_EQ(f.found(1), "10,11");
}

// X gives a closed window's id to a later window, often of the same program and title: once the
// window is gone its id leaves FoundHandle, and the window that takes it over fires as a new one.
TEST(TriggerPoll, AGoneWindowsIdFiresAgainForTheWindowThatTakesItOver) {
    struct Case {
        const char* what;
        bool exists;  // after it left the window list
        std::vector<int> runs;
        std::string found;
    };
    const std::vector<Case> cases = {
        {"closed", false, {1, 1}, "x,10"},
        {"withdrawn, then shown again", true, {1}, "10,x"},
    };
    for (const Case& c : cases) {
        PollFixture f({"Report"});
        f.windows.windows = {{10, "Report", true}};
        f.timer.fire();
        f.store.writeString("Macro1", "FoundHandle", "10,x");
        f.windows.windows.clear();
        if (c.exists) f.windows.unlisted = {10};
        f.timer.fire();
        EXPECT_EQ(f.found(1), c.exists ? "10,x" : "x") << c.what;
        f.windows.windows = {{10, "Report", true}};
        f.windows.unlisted.clear();
        f.timer.fire();
        f.timer.fire();
        EXPECT_EQ(f.runs, c.runs) << c.what;
        EXPECT_EQ(f.found(1), c.found) << c.what;
    }
}

// A window whose recording fails (a full disk) reports it once, not on every tick; it is tried
// again when its id belongs to a new window.
TEST(TriggerPoll, AFailedRecordingIsReportedOncePerWindow) {
    PollFixture f({"Report"});
    const std::string blocker = f.store.path() + ".tmp";
    ASSERT_EQ(::mkdir(blocker.c_str(), 0700), 0);  // every write of the catalogue fails
    f.windows.windows = {{10, "Report", true}};
    EXPECT_THROW(f.timer.fire(), ostrevin::IniWriteError);
    EXPECT_NO_THROW(f.timer.fire());
    ::rmdir(blocker.c_str());
    f.timer.fire();
    EXPECT_TRUE(f.runs.empty());
    f.windows.windows.clear();
    f.timer.fire();
    f.windows.windows = {{10, "Report", true}};
    f.timer.fire();
    EXPECT_EQ(f.runs, std::vector<int>{1});
}

TEST(TriggerPoll, AHiddenWindowWaitsUntilItIsShown) {
    PollFixture f({"Report"});
    // The first match in front-to-back order decides, even with a visible one behind it.
    f.windows.windows = {{10, "Report", false}, {11, "Report", true}};
    f.timer.fire();
    EXPECT_TRUE(f.runs.empty());
    EXPECT_EQ(f.found(1), "");
    f.windows.windows[0].visible = true;
    f.timer.fire();
    EXPECT_EQ(f.runs, std::vector<int>{1});
    EXPECT_EQ(f.found(1), "10");
}

TEST(TriggerPoll, ReadsFoundHandleElementsAsDecimalNumbers) {
    struct Case {
        std::string list;
        bool fires;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"", true, "7"},
        {"7", false, "7"},
        {"5,7", false, "5,7"},
        {"007", false, "007"},
        {"abc,7x, 7,0x7,,-7", true, "abc,7x, 7,0x7,,-7,7"},
        {"70,17,99999999999999999999999", true, "70,17,99999999999999999999999,7"},
    };
    for (const Case& c : cases) {
        PollFixture f({"Report"});
        f.store.writeString("Macro1", "FoundHandle", c.list);
        f.windows.windows = {{7, "Report", true}};
        f.windows.unlisted = {5, 70, 17};  // still there, so they keep their place
        f.timer.fire();
        EXPECT_EQ(f.runs.size(), c.fires ? 1u : 0u) << c.list;
        EXPECT_EQ(f.found(1), c.after) << c.list;
    }
}

TEST(TriggerPoll, SharedTitlesFireInOrderFromOneEnumeration) {
    PollFixture f({"Report", "", "report", "Other"});
    f.windows.windows = {{3, "Mail", true}, {4, "Report", true}};
    f.timer.fire();
    EXPECT_EQ(f.runs, (std::vector<int>{1, 3}));
    // Once before the first run and once after each run, for the desktop it may have changed.
    EXPECT_EQ(f.windows.enumerations, 3);
    f.timer.fire();
    EXPECT_EQ(f.windows.enumerations, 4);
    EXPECT_EQ(f.pump.count, 4);  // once per enumeration
}

TEST(TriggerPoll, RecordsTheWindowBeforeTheMacroRunsSoANestedTickSkipsIt) {
    PollFixture f({"Report"});
    f.windows.windows = {{10, "Report", true}};
    f.onRun = [&](int) {
        EXPECT_EQ(f.found(1), "10");
        f.timer.fire();  // a tick while the macro pumps events
    };
    f.timer.fire();
    EXPECT_EQ(f.runs, std::vector<int>{1});
    EXPECT_TRUE(f.poll.searchState().TargetTitle.empty());
    EXPECT_FALSE(f.poll.searchState().WindowFound);
}

TEST(TriggerPoll, SeesChangesThatAnotherCopyWrites) {
    PollFixture f({"Report"});
    f.windows.windows = {{10, "Invoice", true}};
    f.timer.fire();
    ostrevin::IniStore other(f.store.path());
    other.writeString("Macro1", "Trigger", "Invoice");
    f.timer.fire();
    EXPECT_EQ(f.runs, std::vector<int>{1});
    // Another copy recorded a window meanwhile: it is kept, and this copy adds its own.
    other.writeString("Macro1", "FoundHandle", "10");
    f.windows.windows.push_back({12, "invoice", true});
    f.windows.windows.erase(f.windows.windows.begin());
    f.windows.unlisted = {10};
    f.timer.fire();
    EXPECT_EQ(f.found(1), "10,12");
}

TEST(TriggerPoll, IntervalDecidesWhetherThePollRuns) {
    struct Case {
        std::string interval;
        int period;
        bool on;
    };
    const std::vector<Case> cases = {{"", 250, true}, {"1000", 1000, true}, {"0", 0, false}};
    for (const Case& c : cases) {
        PollFixture f({"Report"}, c.interval);
        EXPECT_EQ(f.timer.interval, c.period) << c.interval;
        EXPECT_EQ(f.timer.on, c.on) << c.interval;
        // A pause switches the poll off and on again, but never on when it is off for the run.
        f.poll.pauseTimer().setEnabled(false);
        EXPECT_FALSE(f.timer.on);
        f.poll.pauseTimer().setEnabled(true);
        EXPECT_EQ(f.timer.on, c.on) << c.interval;
        f.windows.windows = {{10, "Report", true}};
        f.timer.fire();
        EXPECT_EQ(f.runs.size(), c.on ? 1u : 0u) << c.interval;
    }
}

}  // namespace
}  // namespace keyloom
