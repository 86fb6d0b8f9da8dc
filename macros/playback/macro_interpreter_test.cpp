#include "macros/playback/macro_interpreter.h"

#include <gtest/gtest.h>

#include "macros/playback/macro_error.h"
#include "playback_fixture.h"

namespace keyloom {
namespace {

class InterpreterTest : public ::testing::Test, public PlaybackFixture {};

TEST_F(InterpreterTest, TypesTextAndTokens) {
    player.InputValue = "a^b";
    struct Case {
        const char* text;
        const char* sent;
    };
    const Case cases[] = {
        {"  \r\n\tab c\r\n  ", "a|b| |c"},
        {"^@~{}", "!^|!@|!~|{|}"},
        {"<<enter>>x<<Enter>>", "{ENTER}|x|{ENTER}"},
        {"a\r\nb", "a|\n|b"},
        {"<<REP3>>ab<<ENDREP>>c", "a|b|a|b|a|b|c"},
        {"<<REP2>> a b <<ENDREP>>", "a| |b|a| |b"},
        {"<<REP0>>ab<<ENDREP>>c", "c"},
        {"<<REP2>>x<<REP2>>y<<ENDREP>>z<<ENDREP>>", "x|x|z|E|N|D|R|E|P|>|>"},
        {"<<REP2>>ab", ""},
        {"<<REP2147483647>>\r\n<<ENDREP>>c", "c"},  // nothing to repeat: no long freeze
        {"<<WRITEVALUE>>", "!a^b"},
        {"<<bogus>>", "b|o|g|u|s|>|>"},
        {"<<", ""},
        {"<<CTRL>>c<<ctrl+alt>><<delete>>", "^c|^@{DELETE}"},
        {"<<F12>><<PrintScreen>><<PAGEDOWN>><<BackSpace>>", "{F12}|{PRTSC}|{PGDN}|{BKSP}"},
        {"<<SHORTDATE>> <<LONGTIME>>", "12/07/2026| |21:30:05"},
        {"é€", "é|€"},
        {"<<SECS0>>x", "x"},
        {"<<INPUT:what", "h|a|t"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(c.text), c.sent) << c.text;
    EXPECT_FALSE(sender.tokensOnly);
}

TEST_F(InterpreterTest, BadCountsStopTheRunAndKeepWhatWasTyped) {
    struct Case {
        const char* text;
        const char* message;
        const char* sentBefore;
    };
    const Case cases[] = {
        {"ab<<SECSx>>c", "'x' is not a valid integer value", "a|b"},
        {"<<MINS>>", "'' is not a valid integer value", ""},
        {"z<<REPq>>a<<ENDREP>>", "'q' is not a valid integer value", "z"},
        {"<<LOOKFOR:T~~SECS:soon>>", "'soon' is not a valid integer value", ""},
        {"a<<SECS--5>>b", "'--5' is not a valid integer value", "a"},
        {"<<REP+-5>>x<<ENDREP>>", "'+-5' is not a valid integer value", ""},
    };
    for (const auto& c : cases) {
        sender.sent.clear();
        try {
            player.SendKeys(c.text);
            ADD_FAILURE() << c.text;
        } catch (const MacroError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.text;
        }
        EXPECT_EQ(sender.joined(), c.sentBefore) << c.text;
    }
    EXPECT_EQ(macroInteger(" 12"), 12);
    EXPECT_EQ(macroInteger("$1F"), 31);
    EXPECT_EQ(macroInteger("-3"), -3);
    for (const char* twoSigns : {"--5", "+-5", "-+5", "++5", "- 5", "-$-1"})
        EXPECT_THROW(macroInteger(twoSigns), MacroError) << twoSigns;
    EXPECT_THROW(macroInteger("12 "), MacroError);
}

TEST_F(InterpreterTest, InputAsksRestoresTheForegroundAndFeedsWriteValue) {
    windows.windows = {{7, "Editor", true}};
    windows.foreground = 7;
    EXPECT_EQ(run("<<INPUT:Your name?>>Hi <<WRITEVALUE>>!"), "H|i| |!typed answer|!");
    EXPECT_EQ(prompts, (std::vector<std::string>{"Your name?"}));
    EXPECT_EQ(windows.focusRequests, (std::vector<ostrevin::platform::WindowId>{7}));
}

TEST_F(InterpreterTest, RunTakesEveryMacroOfTheNameInOrderAndClearsTheValue) {
    writeCatalogue(
        "[Main]\nEntries=3\n[Macro1]\nName=Twice\nType=4\nFileName=Twice.key\n"
        "[Macro2]\nName=Other\nType=4\nFileName=Other.key\n"
        "[Macro3]\nName=TWICE\nType=4\nFileName=TWICE.key\n");
    keyFile("Twice.key", "a");
    keyFile("TWICE.key", "b");
    keyFile("Other.key", "o");
    EXPECT_EQ(run("<<INPUT:p>><<RUN:twice>>c<<WRITEVALUE>>"), "a|b|c|!");
    EXPECT_EQ(statuses, (std::vector<std::string>{"NoRecord", "NoRecord"}));
    EXPECT_EQ(run("<<RUN:nobody>>x"), "x");
}

TEST_F(InterpreterTest, AMacroRunningItselfStopsWithAMessage) {
    writeCatalogue("[Main]\nEntries=1\n[Macro1]\nName=Loop\nType=4\nFileName=Loop.key\n");
    keyFile("Loop.key", "x<<RUN:Loop>>");
    try {
        player.ProcessHotKey(1);
        FAIL() << "a macro ran itself without end";
    } catch (const MacroError& e) {
        EXPECT_NE(std::string(e.what()).find("32 levels"), std::string::npos) << e.what();
    }
    EXPECT_EQ(sender.sent.size(), 1u + MacroInterpreter::kMaxRunDepth);
    EXPECT_EQ(sender.openTexts, 0);
    // The guard unwound: the next run starts from the top again.
    sender.sent.clear();
    EXPECT_THROW(player.ProcessHotKey(1), MacroError);
    EXPECT_EQ(sender.sent.size(), 1u + MacroInterpreter::kMaxRunDepth);
}

int totalMs(const std::vector<int>& sleeps) {
    int total = 0;
    for (int ms : sleeps) total += ms;
    return total;
}

TEST_F(InterpreterTest, LookForWaitsPollingOnceASecond) {
    windows.enumerations = 0;
    clock.monotonic = 0;
    const std::int64_t appearsAt = 1500;
    pump.onPump = [&] {
        if (clock.monotonic >= appearsAt && windows.windows.empty())
            windows.windows.push_back({42, "  target window ", true});
    };
    EXPECT_EQ(run("<<LOOKFOR:Target Window~~SECS:5>>x"), "x");
    EXPECT_TRUE(player.waitSearch.WindowFound);
    EXPECT_EQ(player.waitSearch.FoundWindow, 42u);
    EXPECT_EQ(windows.enumerations, 3);  // at 0, 1 and 2 seconds
    EXPECT_EQ(totalMs(clock.sleeps), 2000);
    EXPECT_TRUE(windows.focusRequests.empty());  // found, not brought to the front
    pump.onPump = nullptr;
    windows.windows.clear();

    clock.sleeps.clear();
    windows.enumerations = 0;
    EXPECT_EQ(run("<<lookfor:Nowhere~~mins:1>>y"), "y");
    EXPECT_FALSE(player.waitSearch.WindowFound);
    EXPECT_EQ(windows.enumerations, 61);  // from 0 to 60 seconds, both included
    EXPECT_EQ(totalMs(clock.sleeps), 60000);

    writeCatalogue("[Main]\nWaitForSeparator=##\n");
    windows.windows = {{42, "target window", true}};
    clock.sleeps.clear();
    EXPECT_EQ(run("<<LOOKFOR:target window##SECS:3>>z"), "z");
    EXPECT_TRUE(player.waitSearch.WindowFound);
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(InterpreterTest, AWindowAppearingInTheLastSecondIsFound) {
    // Seconds to wait, and when the window appears: found exactly when it appears in time.
    struct Case {
        int seconds;
        std::int64_t appearsAt;
        bool found;
    };
    const Case cases[] = {{5, 4500, true}, {5, 5000, true}, {5, 5001, false}, {1, 900, true}};
    for (const auto& c : cases) {
        windows.windows.clear();
        clock.monotonic = 0;
        pump.onPump = [&] {
            if (clock.monotonic >= c.appearsAt && windows.windows.empty())
                windows.windows.push_back({9, "late", true});
        };
        player.WaitForWindow("late", true, c.seconds);
        EXPECT_EQ(player.waitSearch.WindowFound, c.found) << c.seconds << " " << c.appearsAt;
        EXPECT_LE(clock.monotonic, c.seconds * 1000) << c.seconds;
    }
    // The program keeps answering while it waits: events run at least ten times a second.
    pump.count = 0;
    pump.onPump = nullptr;
    windows.windows.clear();
    player.WaitForWindow("never", true, 2);
    EXPECT_GE(pump.count, 20);
}

TEST_F(InterpreterTest, FocusAndExecute) {
    windows.windows = {{5, "Editor", true}, {6, "editor", true}};
    EXPECT_EQ(run("<<FOCUS:editor>>x<<FOCUS:Missing>>"), "x");
    EXPECT_EQ(windows.focusRequests, (std::vector<ostrevin::platform::WindowId>{6, 0}));

    using Call = ostrevin::platform::FakeLauncher::Call;
    EXPECT_EQ(run("<<EXECUTE:/usr/bin/prog>><<EXECUTE:/usr/bin/prog~~-a \"b c\"~~/tmp>>"
                  "<<EXECUTE:doc.pdf>>x~~y"),
              "x|!~|!~|y");
    EXPECT_EQ(launcher.opened, (std::vector<Call>{{"/usr/bin/prog", "", ""},
                                                  {"/usr/bin/prog", "-a \"b c\"", "/tmp"},
                                                  {"doc.pdf", "", ""}}));
}

}  // namespace
}  // namespace keyloom
