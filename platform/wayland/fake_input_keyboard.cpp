#include "platform/wayland/fake_input_keyboard.h"

#include "kde-fake-input-client-protocol.h"
#include "platform/wayland/wayland_session.h"

namespace ostrevin::platform {

namespace {
constexpr std::uint32_t kKeyboardSince = 4;
}

std::unique_ptr<FakeInputKeyboard> FakeInputKeyboard::open(WaylandSession& session) {
    if (!session.fakeInput() || session.fakeInputVersion() < kKeyboardSince) return nullptr;
    std::unique_ptr<FakeInputKeyboard> keyboard(new FakeInputKeyboard(session));
    if (!keyboard->loadKeymap(session.seatKeymap())) return nullptr;
    // KWin ignores the events of a fake input that has not said who it is.
    org_kde_kwin_fake_input_authenticate(session.fakeInput(), "Keyloom",
                                         "Types the keys of your macros");
    session.roundtrip();
    if (session.broken()) return nullptr;
    return keyboard;
}

FakeInputKeyboard::~FakeInputKeyboard() {
    releaseAll();
    session_.roundtrip();
}

// KWin hands keys on to the focused client as they come, and drops a client whose socket stays
// full. A Qt field that reports its text to an input method answers every key with that whole
// text, which KWin must read too; sent without a pause, a long text got such a field dropped. So
// every few presses wait until KWin has handled what went before: the pace is KWin's, which slows
// down while it reads the field's answers. A fixed rate on top only slowed the text down.
void FakeInputKeyboard::sendKey(std::uint8_t keycode, bool down) {
    if (down && ++pressesSent_ % kPressesAhead == 0) session_.roundtrip();
    org_kde_kwin_fake_input_keyboard_key(session_.fakeInput(), keycode - 8u, down ? 1 : 0);
    session_.flush();
}

void FakeInputKeyboard::flush() {
    session_.flush();
}

}  // namespace ostrevin::platform
