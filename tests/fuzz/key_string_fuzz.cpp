// libFuzzer target for the key-string parser: any text either types or is refused with a
// KeyStringError, and every key it pressed is released again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "macros/sendkey/send_key.h"
#include "platform/fake/fake_keyboard.h"
#include "platform/fake/fakes.h"

namespace {

class NoLibrary : public ostrevin::platform::LibraryLoader {
  public:
    void* open(const std::string&) override { return nullptr; }
    void* symbol(void*, const std::string&) override { return nullptr; }
    void close(void*) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    keyloom::sendKeyShared() = {};
    // The first byte chooses the prefix mode, so both parsers are reached.
    keyloom::sendKeyShared().tokensOnly = size > 0 && (data[0] & 1);
    ostrevin::platform::FakeKeyboard keyboard;
    ostrevin::platform::FakeMessagePump pump;
    NoLibrary loader;
    keyloom::TSendKey sender(keyboard, pump, loader);
    try {
        sender.Send(input);
    } catch (const keyloom::KeyStringError&) {
    }
    if (!keyboard.heldKeys().empty()) __builtin_trap();
    keyloom::sendKeyShared() = {};
    return 0;
}
