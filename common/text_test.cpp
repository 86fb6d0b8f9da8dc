#include "common/text.h"

#include <gtest/gtest.h>

namespace ostrevin {
namespace {

TEST(ParseInteger, AcceptsOnlyWholeIntegers) {
    struct Case {
        const char* text;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"24699", 24699},
        {"-5", -5},
        {"+7", 7},
        {"0x6041", 24641},
        {"0X1f", 31},
        {"0xFFFFFFFF", -1},
        {"0x", std::nullopt},
        {"0X", std::nullopt},
        {"0x1g", std::nullopt},
        {"12abc", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"99999999999", std::nullopt},
        {"0x100000000", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseInteger(c.text), c.expected) << c.text;
}

TEST(TextHelpers, CaseFoldingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(upperAscii("daily report é"), "DAILY REPORT é");
    EXPECT_TRUE(equalsIgnoreAsciiCase("Daily", "dAILY"));
    const std::string lower = "abcdefghijklmnopqrstuvwxyz", upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    EXPECT_TRUE(equalsIgnoreAsciiCase(lower, upper));
    EXPECT_EQ(upperAscii(lower + "@[`{"), upper + "@[`{");  // the neighbours of the letters stay
    EXPECT_FALSE(equalsIgnoreAsciiCase("@", "`"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("[", "{"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("é", "É"));
    EXPECT_TRUE(startsWithIgnoreAsciiCase("/open:x", "/OPEN:"));
    EXPECT_FALSE(startsWithIgnoreAsciiCase("/op", "/OPEN:"));
}

TEST(TextHelpers, TrimsBlanksAndControlCharacters) {
    EXPECT_EQ(trimRightControl("Report  \t\r\n"), "Report");
    EXPECT_EQ(trimControl("\r\n  a b \x01"), "a b");
    EXPECT_EQ(trimControl("   "), "");
}

TEST(TextHelpers, CutsWholeUtf8Characters) {
    EXPECT_EQ(cutToChars("abc", 2), "ab");
    EXPECT_EQ(cutToChars("ééé", 2), "éé");
    EXPECT_EQ(cutToChars("ab", 5), "ab");
    EXPECT_EQ(firstCharLength("€x"), 3u);
    EXPECT_EQ(firstCharLength("\x80\x80"), 2u);  // stray continuation bytes go with their lead
    EXPECT_EQ(firstCharLength(""), 0u);
}

TEST(TextHelpers, Utf8RoundTripAndInvalidBytes) {
    const std::string text = "aé€Ω😀";
    EXPECT_EQ(decodeUtf8(text), (std::u32string{U'a', U'é', U'€', U'Ω', U'😀'}));
    EXPECT_EQ(encodeUtf8(decodeUtf8(text)), text);
    // Stray and truncated bytes stand for themselves instead of swallowing what follows.
    EXPECT_EQ(decodeUtf8("\xff"
                         "a\xc3"),
              (std::u32string{0xFF, U'a', 0xC3}));
    EXPECT_EQ(decodeUtf8("\xe0\x80\x80"), (std::u32string{0xE0, 0x80, 0x80}));
}

}  // namespace
}  // namespace ostrevin
