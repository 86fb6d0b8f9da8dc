#include "platform/wayland/gnome_shell_names.h"

#include <gtest/gtest.h>

#include "platform/hot_keys.h"

namespace ostrevin::platform::gnomeshell {
namespace {

TEST(GnomeShellNames, AcceleratorsAsTheShellParsesThem) {
    struct Case {
        unsigned modifiers;
        std::string key, expected;
    } cases[] = {
        {kModControl | kModAlt, "F5", "<Control><Alt>F5"},
        {kModShift | kModControl | kModAlt, "odiaeresis", "<Shift><Control><Alt>odiaeresis"},
        {0, "Pause", "Pause"},
        {kModShift, "a", "<Shift>a"},
        // No key in the layout, or a name that would read as accelerator syntax: nothing.
        {kModControl, "", ""},
        {kModControl, "<Super>a", ""},
        {kModControl, "a b", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(accelerator(c.modifiers, c.key), c.expected) << c.key;
}

}  // namespace
}  // namespace ostrevin::platform::gnomeshell
