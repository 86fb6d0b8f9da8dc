// Raw keyboard and mouse input as the journal recorder captures and replays it. Both sides keep
// a server connection of their own and are used from the recorder's worker thread only; stop()
// is the one member that other threads may call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ostrevin::platform {

enum class RawEventKind : std::uint8_t {
    KeyDown = 1,
    KeyUp = 2,
    ButtonDown = 3,
    ButtonUp = 4,
    Motion = 5,
};

struct RawInputEvent {
    RawEventKind kind = RawEventKind::KeyDown;
    std::uint8_t detail = 0;    // keycode or button number
    std::uint32_t keysym = 0;   // the key's first-level symbol when it was captured
    std::int32_t x = 0, y = 0;  // pointer position on the screen
    std::uint32_t timeMs = 0;   // server time of a captured event
    bool operator==(const RawInputEvent&) const = default;
};

struct ScreenSize {
    int width = 0, height = 0;
    bool operator==(const ScreenSize&) const = default;
};

inline bool isKey(RawEventKind kind) {
    return kind == RawEventKind::KeyDown || kind == RawEventKind::KeyUp;
}

// The keyboard as the capture saw it when it began.
struct CaptureStart {
    ScreenSize screen;
    std::string layout;                           // rules, model, layout, variant and options
    std::vector<std::uint8_t> heldKeys;           // keycodes down at the start
    std::vector<std::uint8_t> stopKeys;           // keycodes of F12
    std::vector<std::uint8_t> shiftKeys;          // keycodes of the Shift modifier
    std::vector<std::uint8_t> controlKeys;        // keycodes of the Control modifier
    std::vector<std::uint8_t> otherModifierKeys;  // Alt and Super
};

class RawInputCapture {
  public:
    virtual ~RawInputCapture() = default;
    // Begins capturing keys (and buttons and pointer motion unless keysOnly); false with a reason.
    virtual bool begin(bool keysOnly, CaptureStart& start, std::string& error) = 0;
    // Delivers captured events until stop() is called, then returns.
    virtual void run(const std::function<void(const RawInputEvent&)>& onEvent) = 0;
    // Any thread: makes run() return after the events already captured.
    virtual void stop() = 0;
};

class RawInputReplay {
  public:
    virtual ~RawInputReplay() = default;
    virtual ScreenSize screen() = 0;
    virtual std::int64_t nowUs() = 0;
    // Waits until the monotonic time dueUs; false when the user cancelled or stop() was called.
    virtual bool waitUntil(std::int64_t dueUs) = 0;
    // Without waiting: has the user cancelled (Esc) or stop() been called?
    virtual bool interrupted() = 0;
    // True when the user, not stop(), interrupted.
    virtual bool userCancelled() = 0;
    virtual void send(const RawInputEvent& event) = 0;
    // Returns once the server has handled everything sent.
    virtual void sync() = 0;
    // Any thread: ends waits at once.
    virtual void stop() = 0;
};

}  // namespace ostrevin::platform
