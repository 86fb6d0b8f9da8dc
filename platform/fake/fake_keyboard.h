// A keyboard with the US layout that records every key event, for tests of what reaches the
// platform. Events read as "+Shift +A -A -Shift" (+ down, - up).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/keyboard.h"

namespace ostrevin::platform {

struct RecordedKeyEvent {
    std::uint8_t virtualKey;
    std::uint8_t scanCode;
    std::uint32_t flags;
};

class FakeKeyboard : public Keyboard {
  public:
    FakeKeyboard();

    void prepareText(std::u32string_view text) override;
    void finishText() override;
    std::int16_t vkKeyScan(char32_t ch) override;
    std::uint32_t mapVirtualKey(std::uint8_t virtualKey) override;
    void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;
    bool isKeyDown(std::uint8_t virtualKey) override;
    std::string keyLabel(std::uint8_t virtualKey) override;

    void setMapping(char32_t ch, std::int16_t value) { mapping_[ch] = value; }
    void setScanCode(std::uint8_t virtualKey, std::uint32_t scan) { scanCodes_[virtualKey] = scan; }
    void setLabel(std::uint8_t virtualKey, std::string label) {
        labels_[virtualKey] = std::move(label);
    }

    const std::vector<RecordedKeyEvent>& events() const { return events_; }
    std::string eventText() const;
    void clear() { events_.clear(); }
    std::set<std::uint8_t> heldKeys() const { return held_; }
    const std::vector<std::u32string>& preparedTexts() const { return prepared_; }
    int openTexts() const { return openTexts_; }

    static std::string keyName(std::uint8_t virtualKey);

  private:
    std::map<char32_t, std::int16_t> mapping_;
    std::map<std::uint8_t, std::uint32_t> scanCodes_;
    std::map<std::uint8_t, std::string> labels_;
    std::vector<RecordedKeyEvent> events_;
    std::set<std::uint8_t> held_;
    std::vector<std::u32string> prepared_;
    int openTexts_ = 0;
};

}  // namespace ostrevin::platform
