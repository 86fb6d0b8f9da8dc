#include "common/shell_words.h"

#include <gtest/gtest.h>

namespace ostrevin {
namespace {

TEST(ShellWords, SplitsAsAShellWouldWithoutExpanding) {
    using Words = std::vector<std::string>;
    struct Case {
        const char* text;
        std::optional<Words> expected;
    };
    const Case cases[] = {
        {"", Words{}},
        {"  -q  -v ", Words{"-q", "-v"}},
        {"--title \"Delayed Window\" --out /tmp/x",
         Words{"--title", "Delayed Window", "--out", "/tmp/x"}},
        {"'a b' c", Words{"a b", "c"}},
        {"\"say \\\"hi\\\"\"", Words{"say \"hi\""}},
        {"a\\ b", Words{"a b"}},
        {"$HOME `id` *.txt ; rm -rf /", Words{"$HOME", "`id`", "*.txt", ";", "rm", "-rf", "/"}},
        {"\"\"", Words{""}},
        {"x''y", Words{"xy"}},
        {"'unclosed", std::nullopt},
        {"\"unclosed", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(splitShellWords(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace ostrevin
