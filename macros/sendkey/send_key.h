// TSendKey turns a key string into key presses for the focused window: plain characters through
// the keyboard layout, "^" "@" "~" as Ctrl, Alt and Shift for the next key, and braced key names
// such as "{ENTER}". It can hand the string to an outside keystroke library instead.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "macros/sendkey/key_string_sender.h"
#include "platform/keyboard.h"
#include "platform/library_loader.h"
#include "platform/message_pump.h"

namespace keyloom {

class KeyStringError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The outside library's entry point: the key string with its length in the first byte (UTF-8,
// at most 255 bytes); its result is passed back from Send unchanged.
using DllSendProc = std::int32_t (*)(const unsigned char* lengthPrefixed);
inline constexpr const char* kSendKeyLibrary = "libfw32sndkey.so";
inline constexpr const char* kSendKeyEntryPoint = "fw32sndkey_send";

// Modifiers waiting for the next key, and the prefix mode. They belong to the whole program, not
// to one sender: a "^" at the end of one string applies to the first key of the next.
struct SendKeyShared {
    bool altPending = false;
    bool ctrlPending = false;
    bool shiftPending = false;
    bool altGrPending = false;
    bool tokensOnly = false;
    DllSendProc dllSendProc = nullptr;
};
SendKeyShared& sendKeyShared();

class TSendKey : public KeyStringSender {
  public:
    static constexpr std::size_t kMaxKeyStringChars = 255;

    TSendKey(ostrevin::platform::Keyboard& keyboard, ostrevin::platform::MessagePump& pump,
             ostrevin::platform::LibraryLoader& loader, std::string libraryFolder = {});
    ~TSendKey() override;
    TSendKey(const TSendKey&) = delete;
    TSendKey& operator=(const TSendKey&) = delete;

    // -1 for an empty string and 0 after a built-in send, or the outside library's result.
    // Throws KeyStringError with "Invalid token" or "No Closing brackets".
    int Send(std::string_view keyString) override;

    bool UseDll = false;
    static bool TokensOnly() { return sendKeyShared().tokensOnly; }
    static void SetTokensOnly(bool value) { sendKeyShared().tokensOnly = value; }
    void setTokensOnly(bool value) override { SetTokensOnly(value); }
    void beginText(std::string_view text) override;
    void endText() override;

  private:
    bool trySendThroughLibrary(std::string_view keyString, int& result);
    void parseAndSend(const std::u32string& keys);
    void sendBraced(const std::u32string& keys, std::size_t& i);
    void pressChar(char32_t ch);
    void press(std::uint16_t value);
    void keyEvent(std::uint8_t virtualKey, bool up);

    ostrevin::platform::Keyboard& keyboard_;
    ostrevin::platform::MessagePump& pump_;
    ostrevin::platform::LibraryLoader& loader_;
    std::string libraryFolder_;
    void* library_ = nullptr;
};

}  // namespace keyloom
