#include "platform/wayland/fake_input_keyboard.h"

#include <algorithm>
#include <thread>

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

void FakeInputKeyboard::sendKey(std::uint8_t keycode, bool down) {
    if (down) pace();
    org_kde_kwin_fake_input_keyboard_key(session_.fakeInput(), keycode - 8u, down ? 1 : 0);
    session_.flush();
}

// KWin hands keys on to the focused client as they come, and the client answers many of them
// (a text field reports its whole text to the input method after each); KWin drops a client
// whose socket stays full, and a client flooded with keys stays busy long after the text. So a
// burst goes out at full speed and presses follow at a steady rate after it, as on wlroots, and
// every few presses wait for KWin to have handled them, which keeps the text at KWin's pace on a
// loaded machine.
void FakeInputKeyboard::pace() {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    pressBudget_ = std::min(
        kPressBurst, pressBudget_ + duration<double>(now - lastPace_).count() * kPressesPerSecond);
    lastPace_ = now;
    if (pressBudget_ < 1) {
        std::this_thread::sleep_for(duration<double>((1 - pressBudget_) / kPressesPerSecond));
        lastPace_ = steady_clock::now();
        pressBudget_ = 1;
    }
    pressBudget_ -= 1;
    if (++pressesSent_ % kPressesAhead == 0) session_.roundtrip();
}

void FakeInputKeyboard::flush() {
    session_.flush();
}

}  // namespace ostrevin::platform
