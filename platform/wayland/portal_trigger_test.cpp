#include "platform/wayland/portal_trigger.h"

#include <gtest/gtest.h>

#include "platform/hot_keys.h"

namespace ostrevin::platform {
namespace {

TEST(PortalTrigger, NamesKeysAsTheDesktopReadsThem) {
    struct Case {
        unsigned modifiers;
        const char* keysym;
        const char* trigger;
    };
    const Case cases[] = {
        // The modifiers in one order whatever order the bits were set in.
        {kModShift | kModControl, "F5", "CTRL+SHIFT+F5"},
        {kModAlt | kModControl | kModShift, "F12", "CTRL+ALT+SHIFT+F12"},
        {kModAlt, "a", "ALT+A"},
        {0, "F24", "F24"},
        {kModControl, "7", "CTRL+7"},
        {kModControl, "Prior", "CTRL+PgUp"},
        {kModControl, "BackSpace", "CTRL+Backspace"},
        {kModShift, "space", "SHIFT+Space"},
        {kModControl, "semicolon", "CTRL+;"},
        {kModControl, "Home", "CTRL+Home"},
        // Keys the desktop cannot name are refused, never bound to another key.
        {kModControl, "odiaeresis", ""},
        {kModControl, "KP_Add", ""},
        {kModControl, "", ""},
        {kModControl, "Fx", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(portalTrigger(c.modifiers, c.keysym), c.trigger) << c.keysym;
}

}  // namespace
}  // namespace ostrevin::platform
