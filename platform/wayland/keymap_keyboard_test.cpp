// Runs of characters the layout lacks, pasted through a paster: what goes out, in which order.
#include "platform/wayland/keymap_keyboard.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/text.h"

namespace ostrevin::platform {
namespace {

// US layout keycodes as the log shows them.
constexpr const char* kExpectedLayout = "us";

class Log {
  public:
    void add(const std::string& entry) { text_ += (text_.empty() ? "" : " ") + entry; }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

class RecordingPaster : public TextPaster {
  public:
    RecordingPaster(Log& log, bool accepts) : log_(log), accepts_(accepts) {}
    bool offer(const std::string& utf8) override {
        log_.add("offer:" + utf8);
        return accepts_;
    }
    void restore() override { log_.add("restore"); }

  private:
    Log& log_;
    bool accepts_;
};

class RecordingKeyboard : public KeymapKeyboard {
  public:
    explicit RecordingKeyboard(Log& log) : log_(log) {}
    bool load() { return loadKeymap(""); }

  protected:
    void sendKey(std::uint8_t keycode, bool down) override {
        log_.add((down ? "+" : "-") + std::to_string(keycode));
    }
    void flush() override { log_.add("flush"); }

  private:
    Log& log_;
};

// As the key sender types a character: its key, with Shift around it where vkKeyScan asks.
void typeChar(Keyboard& keyboard, char32_t ch) {
    const std::int16_t scan = keyboard.vkKeyScan(ch);
    if (scan < 0) return;
    const auto vk = static_cast<std::uint8_t>(scan & 0xFF);
    const bool shift = scan & 0x100;
    if (shift) keyboard.keyEvent(vk::kShift, 0, 0);
    keyboard.keyEvent(vk, 0, 0);
    keyboard.keyEvent(vk, 0, kKeyUp);
    if (shift) keyboard.keyEvent(vk::kShift, 0, kKeyUp);
}

TEST(KeymapKeyboard, PastesRunsOfCharactersTheLayoutLacks) {
    setenv("XKB_DEFAULT_LAYOUT", kExpectedLayout, 1);
    // Keycodes: a 38, b 56, space 65, Shift 50, Insert 118.
    struct Case {
        const char* name;
        std::u32string text;
        int paster;      // 0 none, 1 accepts, 2 refuses
        bool holdShift;  // the macro holds Shift over the text and the keyboard is let go after
        const char* sent;
        const char* untyped;
    };
    const Case cases[] = {
        {"a run is one paste, before the next key", U"a€é b", 1, false,
         "+38 -38 offer:€é +50 +118 -118 -50 flush restore +65 -65 +56 -56 flush", ""},
        {"a run at the end is pasted when the text ends", U"a€", 1, false,
         "+38 -38 offer:€ +50 +118 -118 -50 flush restore flush", ""},
        {"a shifted key after a run comes after the paste", U"€A", 1, false,
         "offer:€ +50 +118 -118 -50 flush restore +50 +38 -38 -50 flush", ""},
        {"a refused run is left out and named once", U"€é b€", 2, false,
         "offer:€é +65 -65 +56 -56 offer:€ flush", "€é"},
        {"without a paster the characters are left out", U"a€", 0, false, "+38 -38 flush", "€"},
        // Shift stays down through the paste and is let go of once, at the end.
        {"letting go pastes what waits and holds nothing", U"é", 1, true,
         "+50 offer:é +118 -118 flush restore -50 flush", ""},
    };
    for (const Case& c : cases) {
        Log log;
        RecordingKeyboard keyboard(log);
        ASSERT_TRUE(keyboard.load());
        if (c.paster) keyboard.setPaster(std::make_unique<RecordingPaster>(log, c.paster == 1));
        if (c.holdShift) keyboard.keyEvent(vk::kShift, 0, 0);
        for (char32_t ch : c.text) typeChar(keyboard, ch);
        if (c.holdShift)
            keyboard.releaseAll();
        else
            keyboard.finishText();
        EXPECT_EQ(log.text(), c.sent) << c.name;
        EXPECT_EQ(encodeUtf8(keyboard.takeUntyped()), c.untyped) << c.name;
        for (std::uint8_t key : {vk::kShift, vk::kInsert})
            EXPECT_FALSE(keyboard.isKeyDown(key)) << c.name;
    }
}

}  // namespace
}  // namespace ostrevin::platform
