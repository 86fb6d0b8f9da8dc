#include "macros/sendkey/send_key.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "platform/fake/fake_keyboard.h"
#include "platform/fake/fakes.h"
#include "platform/posix/dl_library_loader.h"

namespace keyloom {
namespace {

using ostrevin::platform::FakeKeyboard;

class SendKeyTest : public ::testing::Test {
  protected:
    void SetUp() override { sendKeyShared() = {}; }
    void TearDown() override { sendKeyShared() = {}; }

    FakeKeyboard keyboard;
    ostrevin::platform::FakeMessagePump pump;
    ostrevin::platform::DlLibraryLoader loader;
    TSendKey sender{keyboard, pump, loader, "/nonexistent/"};

    std::string typed(std::string_view keys) {
        keyboard.clear();
        sender.Send(keys);
        return keyboard.eventText();
    }
};

TEST_F(SendKeyTest, EventSequences) {
    keyboard.setMapping(U'€', 0x0645);     // AltGr+E, as on a German layout
    keyboard.setMapping(U'Ω', 0x0751);     // AltGr+Shift+Q
    keyboard.setMapping(U'\x01', 0x0241);  // a character the layout gives with Ctrl
    struct Case {
        const char* keys;
        const char* events;
    };
    const Case cases[] = {
        {"A", "+Shift +A -A -Shift"},
        {"a", "+A -A"},
        {"^A", "+Ctrl +A -A -Ctrl"},
        {"^a", "+Ctrl +A -A -Ctrl"},
        {"~a", "+Shift +Shift +A -A -Shift -Shift"},
        {"@{F4}", "+Alt +F4 -F4 -Alt"},
        {"^@{ENTER}", "+Alt +Ctrl +Enter -Enter -Ctrl -Alt"},
        {"^^a", "+Ctrl +A -A -Ctrl"},
        {"{CTRL}a", "+Ctrl +A -A -Ctrl"},
        {"{Ctrl}a", "+Ctrl -Ctrl +A -A"},
        {"{ctrl}a", "+Ctrl -Ctrl +A -A"},
        {"{ALT}x", "+Alt +X -X -Alt"},
        {"{SHIFT}x", "+Shift +Shift +X -X -Shift -Shift"},
        {"{MENU}", "+Alt -Alt"},
        {"{ENTER}", "+Enter -Enter"},
        {"{enter}", "+Enter -Enter"},
        {"{L}", "+Left -Left"},
        {"{r}", "+Right -Right"},
        {"{DN}", "+Down -Down"},
        {"{", "+Shift +0xDB -0xDB -Shift"},
        {"}", "+Shift +0xDD -0xDD -Shift"},
        {"é", "+Shift +0xFF -0xFF -Shift"},  // no key: virtual key 255 with Shift
        {"^é", "+Ctrl +0xFF -0xFF -Ctrl"},
        {"€", "+Ctrl +Alt +E -E -Ctrl -Alt"},
        {"Ω", "+Shift +Ctrl +Alt +Shift +Q -Q -Shift -Shift -Ctrl -Alt"},
        {"\x01", "+Ctrl +A -A -Ctrl"},
        {"a b", "+A -A +Space -Space +B -B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(typed(c.keys), c.events) << c.keys;
        EXPECT_TRUE(keyboard.heldKeys().empty()) << c.keys;
    }
}

TEST_F(SendKeyTest, ErrorsStopWhereTheyAreAndKeepWhatWasSent) {
    struct Case {
        const char* keys;
        const char* message;
        const char* sentBefore;
    };
    const Case cases[] = {
        {"{}", "Invalid token", ""},
        {"{NOPE}", "Invalid token", ""},
        {"{ABCDEFGH}", "No Closing brackets", ""},
        {"{ABCDEFG}", "Invalid token", ""},
        {"{ENTER", "No Closing brackets", ""},
        {"a}", "Invalid token", "+A -A"},
        {"x{", "No Closing brackets", "+X -X"},
        {"ab{F4}}c", "Invalid token", "+A -A +B -B +F4 -F4"},
    };
    for (const auto& c : cases) {
        keyboard.clear();
        try {
            sender.Send(c.keys);
            ADD_FAILURE() << c.keys << " sent without an error";
        } catch (const KeyStringError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.keys;
        }
        EXPECT_EQ(keyboard.eventText(), c.sentBefore) << c.keys;
        EXPECT_EQ(keyboard.openTexts(), 0) << "the keyboard was left prepared after " << c.keys;
        EXPECT_TRUE(keyboard.heldKeys().empty()) << c.keys;
    }
    // A modifier pending before the error stays pending for the next string.
    EXPECT_THROW(sender.Send("^{BAD}"), KeyStringError);
    EXPECT_EQ(typed("x"), "+Ctrl +X -X -Ctrl");
}

TEST_F(SendKeyTest, TokensOnlyTypesPrefixCharactersAndIsSharedByAllSenders) {
    TSendKey other(keyboard, pump, loader);
    other.setTokensOnly(true);
    EXPECT_TRUE(TSendKey::TokensOnly());
    EXPECT_EQ(typed("^@~{TAB}"),
              "+Shift +6 -6 -Shift +Shift +2 -2 -Shift +Shift +0xC0 -0xC0 -Shift +Tab -Tab");
    TSendKey::SetTokensOnly(false);
    EXPECT_EQ(typed("~a"), "+Shift +Shift +A -A -Shift -Shift");
}

TEST_F(SendKeyTest, PendingModifierCarriesIntoTheNextSend) {
    EXPECT_EQ(typed("^"), "");
    EXPECT_TRUE(sendKeyShared().ctrlPending);
    TSendKey another(keyboard, pump, loader);
    keyboard.clear();
    another.Send("x");
    EXPECT_EQ(keyboard.eventText(), "+Ctrl +X -X -Ctrl");
}

TEST_F(SendKeyTest, ResultsPumpAndLength) {
    EXPECT_EQ(sender.Send(""), -1);
    EXPECT_EQ(pump.count, 0);
    EXPECT_TRUE(keyboard.events().empty());
    EXPECT_EQ(sender.Send("a"), 0);
    EXPECT_EQ(pump.count, 1);
    keyboard.clear();
    sender.Send(std::string(300, 'a'));
    EXPECT_EQ(keyboard.events().size(), 2u * 255);
    ASSERT_FALSE(keyboard.preparedTexts().empty());
    EXPECT_EQ(keyboard.preparedTexts().back().size(), 255u);
}

TEST_F(SendKeyTest, ExtendedFlagFollowsTheScanCode) {
    keyboard.setScanCode('A', 0x1E);
    keyboard.setScanCode(0x25, 0x14B);  // only the low byte counts
    sender.Send("a{LEFT}");
    const auto& events = keyboard.events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].scanCode, 0x1E);
    EXPECT_EQ(events[0].flags, 0u);
    EXPECT_EQ(events[1].flags, ostrevin::platform::kKeyUp);
    EXPECT_EQ(events[2].scanCode, 0x4B);
    EXPECT_EQ(events[2].flags, ostrevin::platform::kExtendedKey);
    EXPECT_EQ(events[3].flags, ostrevin::platform::kExtendedKey | ostrevin::platform::kKeyUp);
}

TEST_F(SendKeyTest, OutsideLibraryTakesTheStringWhenPresent) {
    TSendKey withLibrary(keyboard, pump, loader, TEST_LIBRARY_FOLDER);
    withLibrary.UseDll = true;
    EXPECT_EQ(withLibrary.Send("ab{ENTER}"), 42 + 9);
    EXPECT_TRUE(keyboard.events().empty());
    EXPECT_EQ(pump.count, 0);
    void* library = loader.open(std::string(TEST_LIBRARY_FOLDER) + kSendKeyLibrary);
    auto last = reinterpret_cast<const char* (*)()>(loader.symbol(library, "fw32sndkey_test_last"));
    ASSERT_NE(last, nullptr);
    EXPECT_STREQ(last(), "ab{ENTER}");
    loader.close(library);
    // Resolved once per run: another sender uses it without loading anything.
    sender.UseDll = true;
    EXPECT_EQ(sender.Send(""), 42);
    sender.UseDll = false;
    EXPECT_EQ(sender.Send("a"), 0);
    EXPECT_EQ(keyboard.eventText(), "+A -A");
}

TEST_F(SendKeyTest, OutsideLibraryGetsAtMost255BytesOfWholeCharacters) {
    TSendKey withLibrary(keyboard, pump, loader, TEST_LIBRARY_FOLDER);
    withLibrary.UseDll = true;
    void* library = loader.open(std::string(TEST_LIBRARY_FOLDER) + kSendKeyLibrary);
    auto last = reinterpret_cast<const char* (*)()>(loader.symbol(library, "fw32sndkey_test_last"));
    ASSERT_NE(last, nullptr);
    struct Case {
        std::string text;
        std::size_t bytes;
    };
    std::string euros;
    for (int i = 0; i < 100; ++i) euros += "€";
    std::string twoByte;
    for (int i = 0; i < 200; ++i) twoByte += "é";
    const Case cases[] = {{std::string(300, 'a'), 255},
                          {twoByte, 254},        // 255 bytes would end inside an é
                          {"a" + twoByte, 255},  // ... but here 255 ends between two
                          {euros, 255},          // 85 whole euro signs
                          {"x" + euros, 253}};   // 1 + 84 * 3
    for (const auto& c : cases) {
        withLibrary.Send(c.text);
        const std::string got = last();
        EXPECT_EQ(got.size(), c.bytes);
        EXPECT_EQ(got, c.text.substr(0, c.bytes));
        EXPECT_EQ(ostrevin::cutToChars(got, 1000), got);  // no broken character at the end
        EXPECT_NE((static_cast<unsigned char>(c.text[got.size()]) & 0xC0), 0x80);
    }
    loader.close(library);
}

TEST_F(SendKeyTest, MissingLibraryOrEntryPointLeavesTheBuiltInPath) {
    for (const char* folder : {"/nonexistent/", TEST_LIBRARY_WITHOUT_ENTRY_FOLDER}) {
        sendKeyShared() = {};
        TSendKey s(keyboard, pump, loader, folder);
        s.UseDll = true;
        keyboard.clear();
        EXPECT_EQ(s.Send("a"), 0) << folder;
        EXPECT_EQ(keyboard.eventText(), "+A -A") << folder;
        EXPECT_EQ(s.Send(""), -1) << folder;
    }
}

}  // namespace
}  // namespace keyloom
