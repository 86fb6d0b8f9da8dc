#include "platform/wayland/sway_ipc_codec.h"

#include <gtest/gtest.h>

namespace ostrevin::platform::swayipc {
namespace {

TEST(SwayIpc, FramesSplitAndJoinedAsTheyArrive) {
    const std::string first = encode(kRunCommand, "bindsym Ctrl+x nop a");
    const std::string second = encode(kBindingEvent, "{\"change\": \"run\"}");
    EXPECT_EQ(first.substr(0, 14), std::string("i3-ipc\x14\0\0\0\0\0\0\0", 14));
    Reader reader;
    const std::string both = first + second;
    // Byte by byte: nothing whole comes out early, each message exactly once.
    std::vector<Message> got;
    for (char c : both) {
        reader.feed(std::string_view(&c, 1));
        while (auto m = reader.next()) got.push_back(*m);
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].type, kRunCommand);
    EXPECT_EQ(got[0].payload, "bindsym Ctrl+x nop a");
    EXPECT_EQ(got[1].type, kBindingEvent);
    EXPECT_EQ(got[1].payload, "{\"change\": \"run\"}");
}

TEST(SwayIpc, ConfiguredCombosOfTheDefaultModeOnly) {
    const std::string config = R"(# a comment: bindsym Ctrl+q exec no
set $mod Mod4
set $mod2 Mod1
bindsym $mod+Return exec foot
bindsym --no-repeat --to-code $mod2+Shift+F5 exec x
bindsym Control+Alt+Delete exec y
bindsym {
    $mod+d exec menu
    Shift+Print exec shot
}
mode "resize" {
    bindsym Left resize shrink width 10px
}
bar {
    status_command date
}
bindsym XF86AudioMute exec z
)";
    const std::set<std::string> expected = {"mod4+return", "mod1+shift+f5", "ctrl+mod1+delete",
                                            "mod4+d",      "shift+print",   "xf86audiomute"};
    EXPECT_EQ(configuredCombos(config), expected);
}

TEST(SwayIpc, CombosCompareInOneSpelling) {
    const std::pair<const char*, const char*> same[] = {
        {"Ctrl+Shift+F5", "Shift+Control+f5"}, {"Alt+a", "Mod1+A"}, {"Super+plus", "Mod4+Plus"}};
    for (const auto& [a, b] : same) EXPECT_EQ(normalizeCombo(a), normalizeCombo(b)) << a;
    EXPECT_NE(normalizeCombo("Ctrl+a"), normalizeCombo("Ctrl+Shift+a"));
}

TEST(SwayIpc, RepliesAndEvents) {
    const std::string event = R"({"change": "run", "binding": {"command": "nop keyloom:12:3",
        "event_state_mask": ["Ctrl"], "symbol": "F5"}})";
    EXPECT_EQ(jsonString(event, "change"), "run");
    EXPECT_EQ(jsonString(event, "command"), "nop keyloom:12:3");
    EXPECT_EQ(jsonString(R"({"command": "exec echo \"a\\b\""})", "command"), "exec echo \"a\\b\"");
    EXPECT_EQ(jsonString(event, "missing"), std::nullopt);
    EXPECT_TRUE(commandSucceeded(R"([ { "success": true } ])"));
    EXPECT_FALSE(commandSucceeded(R"([{"success": false, "error": "Invalid"}])"));
    EXPECT_FALSE(commandSucceeded(R"([{"success": true}, {"success": false}])"));
    EXPECT_FALSE(commandSucceeded(""));
}

}  // namespace
}  // namespace ostrevin::platform::swayipc
