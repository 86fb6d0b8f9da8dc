#include "macros/app/command_line.h"

#include <gtest/gtest.h>

namespace keyloom {
namespace {

TEST(CommandLine, SwitchesAndNames) {
    using Kind = CommandLineAction::Kind;
    using Actions = std::vector<CommandLineAction>;
    struct Case {
        std::vector<std::string> arguments;
        Actions expected;
    };
    const Case cases[] = {
        {{"/Open:Daily Report", "/Close"}, {{Kind::RunByName, "Daily Report"}, {Kind::Close, ""}}},
        {{"/OPEN:daily report"}, {{Kind::RunByName, "daily report"}}},
        {{"/open:   "}, {{Kind::RunByName, ""}}},
        {{"/Open: \tpadded\t "}, {{Kind::RunByName, "padded"}}},
        {{"Daily"}, {{Kind::RunByName, "Daily"}}},
        {{" bare with blanks "}, {{Kind::RunByName, " bare with blanks "}}},
        {{"/close"}, {{Kind::Close, ""}}},
        {{"/CLOSED"}, {{Kind::Close, ""}}},
        {{"/Clos"}, {{Kind::RunByName, "/Clos"}}},
        {{"/Open:" + std::string(200, 'n')}, {{Kind::RunByName, std::string(150, 'n')}}},
        {{}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseCommandLine(c.arguments), c.expected);
}

}  // namespace
}  // namespace keyloom
