#include <gtest/gtest.h>

#include "macros/catalogue/hot_key_text.h"
#include "macros/catalogue/launch_command.h"

namespace keyloom {
namespace {

TEST(ShortcutText, NamesEveryKindOfKey) {
    auto german = [](std::uint8_t vk) -> std::string {
        if (vk == 0xBA) return "ü";
        if (vk == 0xE2) return "<>";  // a name longer than one character
        return {};
    };
    struct Case {
        int value;
        const char* expected;
    };
    const Case cases[] = {
        {0, ""},
        {0x607B, "Shift+Ctrl+F12"},
        {24641, "Shift+Ctrl+A"},
        {0x8000 | 0x35, "Alt+5"},
        {0x60, "0"},  // keypad digits 0 to 9
        {0x61, "1"},
        {0x62, "2"},
        {0x4000 | 0x63, "Ctrl+3"},
        {0x64, "4"},
        {0x65, "5"},
        {0x66, "6"},
        {0x67, "7"},
        {0x68, "8"},
        {0x69, "9"},
        {0x6A, ""},  // the keypad's * is past the digits
        {0x87, "F24"},
        {0x2000 | 0x08, "Shift+BkSp"},
        {0x2E, "Del"},
        {0x2D, "Ins"},
        {0x21, "PgUp"},
        {0x4000 | 0xBA, "Ctrl+ü"},
        {0x4000 | 0xE2, ""},  // no single-character name: modifiers go too
        {0x8000 | 0x4000 | 0x2000 | 0x0D, "Shift+Ctrl+Alt+Enter"},
        {0x6000, ""},
        {0x1'0000 | 0x41, "A"},  // only 16 bits are a hot key
    };
    for (const auto& c : cases) EXPECT_EQ(shortcutText(c.value, german), c.expected) << c.value;
    EXPECT_EQ(shortcutText(0x4000 | 0xBA, usKeyLabel), "Ctrl+;");
}

TEST(LaunchCommand, SplitsStoredForms) {
    struct Case {
        const char* stored;
        LaunchCommand expected;
    };
    const Case cases[] = {
        {"/opt/tools/x~~-q~~/home/me/work", {"/opt/tools/x", "-q", "/home/me/work", true}},
        {"/usr/bin/gedit", {"/usr/bin/gedit", "", "", false}},
        {"report.pdf~~~~/srv", {"report.pdf", "", "/srv", true}},
        {"a~~~~", {"a", "", "", true}},
        {"a~~b", {"a", "b", "", true}},
        {"https://example.org/?q=~~~~", {"https://example.org/?q=", "", "", true}},
    };
    for (const auto& c : cases) {
        const auto got = splitLaunchCommand(c.stored);
        EXPECT_EQ(got.file, c.expected.file) << c.stored;
        EXPECT_EQ(got.parameters, c.expected.parameters) << c.stored;
        EXPECT_EQ(got.folder, c.expected.folder) << c.stored;
        EXPECT_EQ(got.separated, c.expected.separated) << c.stored;
    }
    EXPECT_EQ(joinLaunchCommand("/opt/tools/x", "-q", "/home/me/work"),
              "/opt/tools/x~~-q~~/home/me/work");
    EXPECT_EQ(joinLaunchCommand("x", "", ""), "x~~~~");
}

}  // namespace
}  // namespace keyloom
