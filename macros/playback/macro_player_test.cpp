#include "macros/playback/macro_player.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "macros/playback/macro_error.h"
#include "playback_fixture.h"

namespace keyloom {
namespace {

class PlayerTest : public ::testing::Test, public PlaybackFixture {};

TEST_F(PlayerTest, DispatchesOnTheType) {
    writeCatalogue(
        "[Main]\nEntries=9\n"
        "[Macro1]\nType=1\nFileName=/usr/bin/prog~~-q~~/work\n"
        "[Macro2]\nType=1\nFilename=report.pdf~~~~/srv\n"
        "[Macro3]\nType=1\nFileName=https://example.org/\n"
        "[Macro4]\nType=2\nFileName=Keys.dat\n"
        "[Macro5]\nType=3\nFileName=Mouse.dat\n"
        "[Macro6]\nType=3\nFileName=Fast.dat\nSpeed=2\n"
        "[Macro7]\nType=9\n[Macro8]\nName=No type\n");
    using Call = ostrevin::platform::FakeLauncher::Call;
    struct Case {
        int number;
        std::vector<Call> opened;
        std::vector<std::string> statuses;
        int playbacks;
        bool hiSpeed;
    };
    const Case cases[] = {
        {1, {{"/usr/bin/prog", "-q", "/work"}}, {"NoRecord"}, 0, false},
        {2, {{"report.pdf", "", "/srv"}}, {"NoRecord"}, 0, false},
        {3, {{"https://example.org/", "", ""}}, {}, 0, false},
        {4, {}, {}, 1, true},
        {5, {}, {}, 1, false},
        {6, {}, {}, 1, true},
        {7, {}, {}, 0, false},
        {8, {}, {}, 0, false},
        {99, {}, {}, 0, false},
    };
    for (const auto& c : cases) {
        launcher.opened.clear();
        statuses.clear();
        journal.playbacks = 0;
        journal.HiSpeedPlayBack = false;
        journal.KeyStrokesOnly = true;
        player.PlaybackDone = true;
        player.ProcessHotKey(c.number);
        EXPECT_EQ(launcher.opened, c.opened) << c.number;
        EXPECT_EQ(statuses, c.statuses) << c.number;
        EXPECT_EQ(journal.playbacks, c.playbacks) << c.number;
        if (c.playbacks) {
            EXPECT_EQ(journal.HiSpeedPlayBack, c.hiSpeed) << c.number;
            EXPECT_FALSE(player.PlaybackDone) << c.number;
            // Keystroke playback keeps the keyboard-only setting; mouse and keyboard clears it.
            EXPECT_EQ(journal.KeyStrokesOnly, c.number == 4) << c.number;
        }
    }
    EXPECT_EQ(journal.PlayBackFileName, "/prog/Fast.dat");
}

TEST_F(PlayerTest, AdvancedMacroFilesAreTypedWhole) {
    writeCatalogue(
        "[Main]\nEntries=2\n[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\n"
        "[Macro2]\nName=Gone\nType=4\nFileName=Gone.key\n");
    keyFile("Greet.key", "Hi\r\nthere\nyou\r");
    player.InputValue = "stale";
    player.ProcessHotKey(1);
    EXPECT_EQ(sender.joined(), "H|i|\n|t|h|e|r|e|\n|y|o|u");
    EXPECT_EQ(player.InputValue, "");
    EXPECT_EQ(statuses, (std::vector<std::string>{"NoRecord"}));
    EXPECT_EQ(sender.openTexts, 0);

    sender.sent.clear();
    statuses.clear();
    try {
        player.ProcessHotKey(2);
        FAIL() << "a missing file ran";
    } catch (const MacroError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file /prog/Gone.key");
    }
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(statuses.empty());
}

TEST_F(PlayerTest, SideFilesNeverLeaveTheProgramFolder) {
    writeCatalogue("[Main]\nEntries=1\n[Macro1]\nType=4\nFileName=../../etc/passwd\n");
    EXPECT_THROW(player.ProcessHotKey(1), MacroError);
}

TEST_F(PlayerTest, AnAdvancedMacroWaitsForTheJournalMacroItStarted) {
    writeCatalogue(
        "[Main]\nEntries=2\n[Macro1]\nName=Outer\nType=4\nFileName=Outer.key\n"
        "[Macro2]\nName=Journal\nType=2\nFileName=Journal.dat\n");
    keyFile("Outer.key", "a<<RUN:Journal>>b");
    pump.onPump = [this] {
        if (pump.waits == 3) journal.OnFinished(false);
    };
    player.ProcessHotKey(1);
    EXPECT_EQ(sender.joined(), "a|b");
    EXPECT_EQ(pump.waits, 3);
    EXPECT_EQ(statuses, (std::vector<std::string>{"True", "NoRecord"}));
    EXPECT_TRUE(player.PlaybackDone);
}

TEST_F(PlayerTest, PauseCountsTicksWithTheTriggerPollOff) {
    Timer1.on = true;
    bool pollWasOff = true;
    pump.onPump = [&] {
        pollWasOff = pollWasOff && !Timer1.on;
        tmr1.fire();
    };
    player.Pause(2, 1);
    EXPECT_EQ(tmr1.interval, 1000);
    EXPECT_EQ(player.DelayTicks, 2);
    EXPECT_TRUE(pollWasOff);
    EXPECT_FALSE(tmr1.on);
    EXPECT_TRUE(Timer1.on);

    pump.count = 0;
    player.Pause(0, 2);
    EXPECT_EQ(tmr1.interval, 60000);
    EXPECT_EQ(pump.count, 1);  // a pause of 0 still lets events run once

    pump.count = 0;
    player.Pause(5, 3);
    EXPECT_EQ(pump.count, 0);
}

TEST_F(PlayerTest, APauseInsideAnotherPauseHandsTheTimerBack) {
    // The outer macro pauses 3 seconds; on its first tick a hot key's macro pauses 2.
    Timer1.on = true;
    int pumps = 0;
    bool nested = false, pollOffThroughout = true;
    pump.onPump = [&] {
        if (++pumps > 100) throw std::runtime_error("the outer pause never ends");
        pollOffThroughout = pollOffThroughout && !Timer1.on;
        tmr1.fire();
        if (!nested && player.DelayTicks == 1) {
            nested = true;
            player.Pause(2, 1);
            EXPECT_TRUE(tmr1.on) << "the outer pause lost its timer";
            EXPECT_EQ(tmr1.interval, 1000);
        }
    };
    player.Pause(3, 1);
    EXPECT_TRUE(nested);
    EXPECT_TRUE(pollOffThroughout);
    EXPECT_LE(pumps, 5);  // the inner seconds count toward the outer pause
    EXPECT_FALSE(tmr1.on);
    EXPECT_TRUE(Timer1.on);

    // A pause in minutes inside one in seconds: the minutes count as sixty seconds each.
    nested = false;
    pumps = 0;
    pump.onPump = [&] {
        if (++pumps > 200) throw std::runtime_error("the outer pause never ends");
        tmr1.fire();
        if (!nested) {
            nested = true;
            player.Pause(1, 2);
            EXPECT_EQ(tmr1.interval, 1000);
        }
    };
    player.Pause(30, 1);
    EXPECT_LE(pumps, 3);
}

TEST_F(PlayerTest, PauseTokensTickOnceASecondOrOnceAMinute) {
    struct Case {
        const char* text;
        int interval;
        int ticks;
    };
    const Case cases[] = {{"<<SECS1>>", 1000, 1}, {"<<MINS1>>", 60000, 1}, {"<<secs3>>", 1000, 3}};
    for (const auto& c : cases) {
        int fired = 0;
        pump.onPump = [&] {
            ++fired;
            tmr1.fire();
        };
        player.SendKeys(c.text);
        EXPECT_EQ(tmr1.interval, c.interval) << c.text;
        EXPECT_EQ(player.DelayTicks, c.ticks) << c.text;
        EXPECT_EQ(fired, c.ticks) << c.text;  // no tick more than the count
    }
}

TEST_F(PlayerTest, RepeatAndWaitCounts) {
    player.RepMac(0, "x");
    player.RepMac(-1, "x");
    EXPECT_TRUE(sender.sent.empty());
    player.RepMac(3, " xy ");
    EXPECT_EQ(sender.joined(), "x|y|x|y|x|y");

    player.WaitForWindow("Anything", true, 0);
    EXPECT_EQ(windows.enumerations, 0);
    EXPECT_FALSE(player.waitSearch.WindowFound);
    windows.windows = {{3, "Anything", true}};
    player.WaitForWindow("anything", true, 10);
    EXPECT_EQ(windows.enumerations, 1);
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST(WindowSearch, TitleMatching) {
    const std::string longTitle(300, 'T');
    struct Case {
        std::string title;
        std::string target;
        bool match;
    };
    const Case cases[] = {
        {" My Editor \t", "my editor", true},
        {"My Editor - notes.txt", "My Editor", false},
        {"Editor", "My Editor", false},
        {"Été", "éTé", false},
        {longTitle, std::string(249, 'T'), true},
        {longTitle, std::string(250, 'T'), false},
        {"", "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(titlesMatch(c.title, c.target), c.match) << c.title;
    WindowSearchState state{"target", true, 9};
    EXPECT_TRUE(MatchWindowTitle({1, "other", true}, state));
    EXPECT_FALSE(state.WindowFound);
    EXPECT_FALSE(MatchWindowTitle({2, "TARGET", true}, state));
    EXPECT_EQ(state.FoundWindow, 2u);
}

}  // namespace
}  // namespace keyloom
