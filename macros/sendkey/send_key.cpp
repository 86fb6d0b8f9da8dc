#include "macros/sendkey/send_key.h"

#include "common/text.h"
#include "macros/sendkey/key_names.h"

namespace keyloom {

using ostrevin::platform::kExtendedKey;
using ostrevin::platform::kKeyUp;

namespace {

constexpr std::uint8_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12;

// Prepares the keyboard for a string and always closes it, also when a key string error ends
// the send half way.
class TextSpan {
  public:
    TextSpan(ostrevin::platform::Keyboard& keyboard, std::u32string_view text)
        : keyboard_(keyboard) {
        keyboard_.prepareText(text);
    }
    ~TextSpan() { keyboard_.finishText(); }
    TextSpan(const TextSpan&) = delete;
    TextSpan& operator=(const TextSpan&) = delete;

  private:
    ostrevin::platform::Keyboard& keyboard_;
};

bool contains(const std::u32string& text, std::u32string_view part) {
    return text.find(part) != std::u32string::npos;
}

}  // namespace

SendKeyShared& sendKeyShared() {
    static SendKeyShared shared;
    return shared;
}

TSendKey::TSendKey(ostrevin::platform::Keyboard& keyboard, ostrevin::platform::MessagePump& pump,
                   ostrevin::platform::LibraryLoader& loader, std::string libraryFolder)
    : keyboard_(keyboard), pump_(pump), loader_(loader), libraryFolder_(std::move(libraryFolder)) {}

TSendKey::~TSendKey() {
    if (library_) loader_.close(library_);
}

void TSendKey::beginText(std::string_view text) {
    keyboard_.prepareText(ostrevin::decodeUtf8(text));
}

void TSendKey::endText() {
    keyboard_.finishText();
}

bool TSendKey::trySendThroughLibrary(std::string_view keyString, int& result) {
    SendKeyShared& shared = sendKeyShared();
    if (!shared.dllSendProc) {
        // The program's own folder first, then the system's library path.
        if (!library_ && !libraryFolder_.empty())
            library_ = loader_.open(libraryFolder_ + kSendKeyLibrary);
        if (!library_) library_ = loader_.open(kSendKeyLibrary);
        if (!library_) return false;
        shared.dllSendProc =
            reinterpret_cast<DllSendProc>(loader_.symbol(library_, kSendKeyEntryPoint));
        // A library without the entry point counts as not loaded.
        if (!shared.dllSendProc) return false;
    }
    const std::string cut = ostrevin::cutToChars(keyString, kMaxKeyStringChars);
    std::string bytes = cut.substr(0, 255);
    while (!bytes.empty() && bytes.size() < cut.size() &&
           (static_cast<unsigned char>(cut[bytes.size()]) & 0xC0) == 0x80)
        bytes.pop_back();  // never hand over half a character
    unsigned char buffer[256];
    buffer[0] = static_cast<unsigned char>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer + 1);
    result = shared.dllSendProc(buffer);
    return true;
}

int TSendKey::Send(std::string_view keyString) {
    int result = 0;
    if (UseDll && trySendThroughLibrary(keyString, result)) return result;
    if (keyString.empty()) return -1;
    std::u32string keys = ostrevin::decodeUtf8(keyString);
    if (keys.size() > kMaxKeyStringChars) keys.resize(kMaxKeyStringChars);
    {
        TextSpan span(keyboard_, keys);
        parseAndSend(keys);
    }
    pump_.processMessages();
    return 0;
}

void TSendKey::parseAndSend(const std::u32string& keys) {
    SendKeyShared& shared = sendKeyShared();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const char32_t c = keys[i];
        if (c == U'{') {
            if (keys.size() == 1)
                pressChar(c);
            else
                sendBraced(keys, i);
        } else if (c == U'}') {
            if (keys.size() != 1) throw KeyStringError("Invalid token");
            pressChar(c);
        } else if (c == U'@' || c == U'^' || c == U'~') {
            if (shared.tokensOnly)
                pressChar(c);
            else if (c == U'@')
                shared.altPending = true;
            else if (c == U'^')
                shared.ctrlPending = true;
            else
                shared.shiftPending = true;
        } else {
            pressChar(c);
        }
    }
}

// i stands on the "{"; afterwards on the "}".
void TSendKey::sendBraced(const std::u32string& keys, std::size_t& i) {
    std::u32string name;
    std::size_t j = i + 1;
    for (;; ++j) {
        if (j >= keys.size()) throw KeyStringError("No Closing brackets");
        if (keys[j] == U'}') break;
        if (name.size() == 7) throw KeyStringError("No Closing brackets");
        name.push_back(keys[j]);
    }
    i = j;
    auto vk = findKeyName(ostrevin::upperAscii(ostrevin::encodeUtf8(name)));
    if (!vk) throw KeyStringError("Invalid token");
    // Only the names written in capitals set a pending modifier; "Ctrl" taps the key itself.
    SendKeyShared& shared = sendKeyShared();
    if (contains(name, U"ALT"))
        shared.altPending = true;
    else if (contains(name, U"CTRL"))
        shared.ctrlPending = true;
    else if (contains(name, U"SHIFT"))
        shared.shiftPending = true;
    else
        press(*vk);
}

void TSendKey::pressChar(char32_t ch) {
    press(static_cast<std::uint16_t>(keyboard_.vkKeyScan(ch)));
}

void TSendKey::press(std::uint16_t value) {
    SendKeyShared& s = sendKeyShared();
    const std::uint8_t vk = value & 0xFF;
    const std::uint8_t shiftState = value >> 8;
    if (shiftState == 2) s.ctrlPending = true;
    if (shiftState == 3) s.ctrlPending = s.shiftPending = true;
    if (shiftState == 6) s.altGrPending = true;
    if (shiftState == 7) s.altGrPending = s.shiftPending = true;
    const bool autoShift = ((shiftState & 1) && !s.ctrlPending) || s.shiftPending;

    if (s.altPending) keyEvent(kVkMenu, false);
    if (s.ctrlPending) keyEvent(kVkControl, false);
    if (s.shiftPending) keyEvent(kVkShift, false);
    if (s.altGrPending) {
        keyEvent(kVkControl, false);
        keyEvent(kVkMenu, false);
    }
    if (autoShift) keyEvent(kVkShift, false);
    keyEvent(vk, false);
    keyEvent(vk, true);
    if (autoShift) keyEvent(kVkShift, true);
    if (s.shiftPending) keyEvent(kVkShift, true);
    if (s.ctrlPending) keyEvent(kVkControl, true);
    if (s.altPending) keyEvent(kVkMenu, true);
    if (s.altGrPending) {
        keyEvent(kVkControl, true);
        keyEvent(kVkMenu, true);
    }
    s.altPending = s.ctrlPending = s.shiftPending = s.altGrPending = false;
}

void TSendKey::keyEvent(std::uint8_t virtualKey, bool up) {
    const auto scan = static_cast<std::uint8_t>(keyboard_.mapVirtualKey(virtualKey) & 0xFF);
    std::uint32_t flags = (scan & 0xE0) ? std::uint32_t{kExtendedKey} : 0u;
    if (up) flags |= kKeyUp;
    keyboard_.keyEvent(virtualKey, scan, flags);
}

}  // namespace keyloom
