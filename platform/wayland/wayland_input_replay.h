// Replay of recorded keys and pointer actions through a virtual keyboard and a virtual pointer of
// the compositor's, or KWin's fake input where KWin grants it, on a connection of its own (it
// runs on the journal recorder's worker thread).
// Keys are found by their recorded symbol in the user's keymap, falling back to the recorded
// keycode; pointer positions go out as absolute motion within the output's extent. A Wayland
// client cannot watch the user's keyboard, so only stop() ends a playback early.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/raw_input.h"
#include "platform/wayland/wayland_session.h"

struct zwlr_virtual_pointer_v1;

namespace ostrevin::platform {

class WaylandKeyboard;
class FakeInputKeyboard;

class WaylandInputReplay : public RawInputReplay {
  public:
    // nullptr when the compositor offers neither a virtual keyboard and pointer nor a fake input.
    static std::unique_ptr<WaylandInputReplay> open();
    ~WaylandInputReplay() override;

    ScreenSize screen() override;
    std::int64_t nowUs() override;
    bool waitUntil(std::int64_t dueUs) override;
    bool interrupted() override { return stopped_; }
    bool userCancelled() override { return false; }
    void send(const RawInputEvent& event) override;
    void sync() override;
    void stop() override;

  private:
    WaylandInputReplay(std::unique_ptr<WaylandSession> session,
                       std::unique_ptr<WaylandKeyboard> keyboard, zwlr_virtual_pointer_v1* pointer);
    WaylandInputReplay(std::unique_ptr<WaylandSession> session,
                       std::unique_ptr<FakeInputKeyboard> keyboard);
    void button(std::uint8_t number, bool down);
    void fakeButton(std::uint8_t number, bool down);

    std::unique_ptr<WaylandSession> session_;
    std::unique_ptr<WaylandKeyboard> keyboard_;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    std::unique_ptr<FakeInputKeyboard> fakeKeyboard_;  // KWin: keys and pointer by fake input
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

}  // namespace ostrevin::platform
