// The exact token texts that the advanced page's commands insert.
#include "macros/authoring/advanced_commands.h"

#include <gtest/gtest.h>

using namespace keyloom;

TEST(AdvancedCommandsTest, DialogTokens) {
    const std::pair<std::string, std::string> cases[] = {
        {waitToken(false, " 12"), "<<SECS12>>"},
        {waitToken(true, "5  "), "<<MINS5>>"},
        {waitToken(false, "   "), "<<SECS>>"},
        {waitToken(false, ""), "<<SECS>>"},
        {repeatToken("  3"), "<<REP3>>"},
        {repeatToken(""), "<<REP>>"},
        {inputToken("  Your name \t"), "<<INPUT:Your name>>"},
        {lookForToken(" Save As ", "~~", false, "  5"), "<<LOOKFOR:Save As~~SECS:5>>"},
        {lookForToken("Print", "|", true, "10 "), "<<LOOKFOR:Print|MINS:10>>"},
        {lookForToken("   ", "~~", false, "5"), "<<LOOKFOR:~~SECS:5>>"},
        {executeToken(" gedit", " a.txt ", "/tmp "), "<<EXECUTE: gedit~~ a.txt ~~/tmp >>"},
        {executeToken("x", "", ""), "<<EXECUTE:x~~~~>>"},
        {runToken(" Other "), "<<RUN: Other >>"},
        {runToken(""), ""},
        {focusToken("Editor"), "<<FOCUS:Editor>>"},
        {focusToken(""), ""},
    };
    for (const auto& [made, expected] : cases) EXPECT_EQ(made, expected);
}

TEST(AdvancedCommandsTest, MenusListTheirItemsHintsAndTokens) {
    struct Case {
        MenuId menu;
        std::size_t size;
        int index;
        const char* item;
        bool hint;
        const char* token;
    };
    const Case cases[] = {
        {MenuId::SpecialKeys, 24, 0, "Ctrl", true, "<<CTRL>>"},
        {MenuId::SpecialKeys, 24, 5, "Shift+Alt", true, "<<SHIFT+ALT>>"},
        {MenuId::SpecialKeys, 24, 6, "Enter", false, "<<ENTER>>"},
        {MenuId::SpecialKeys, 24, 7, "F1", false, "<<F1>>"},
        {MenuId::SpecialKeys, 24, 18, "F12", false, "<<F12>>"},
        {MenuId::SpecialKeys, 24, 19, "Esc", false, "<<ESC>>"},
        {MenuId::SpecialKeys, 24, 23, "Delete", false, "<<DELETE>>"},
        {MenuId::MoreKeys, 9, 4, "Print Screen", false, "<<PRINTSCREEN>>"},
        {MenuId::MoreKeys, 9, 8, "Right Arrow", false, "<<RIGHT>>"},
        {MenuId::DateTime, 4, 3, "Current Time in Long Format", true, "<<LONGTIME>>"},
        {MenuId::Repeat, 2, 0, "Start Repeat Sequence", true, nullptr},
        {MenuId::Repeat, 2, 1, "End Repeat Sequence", true, "<<ENDREP>>"},
        {MenuId::Misc, 6, 1, "Write stored value", true, "<<WRITEVALUE>>"},
        {MenuId::Misc, 6, 5, "Start an Application or Document", true, nullptr},
    };
    for (const Case& c : cases) {
        const auto& menu = menuCommands(c.menu);
        ASSERT_EQ(menu.size(), c.size);
        const MenuCommand& cmd = menu[c.index];
        EXPECT_STREQ(cmd.item, c.item);
        EXPECT_EQ(cmd.hint != nullptr, c.hint) << c.item;
        if (c.token)
            EXPECT_STREQ(cmd.token, c.token);
        else
            EXPECT_EQ(cmd.token, nullptr) << c.item;
    }
    // Every function key item names the key its token presses.
    const auto& special = menuCommands(MenuId::SpecialKeys);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(std::string("<<") + special[7 + k].item + ">>", special[7 + k].token);
}
