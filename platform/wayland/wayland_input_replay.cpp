#include "platform/wayland/wayland_input_replay.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>

#include "platform/wayland/wayland_keyboard.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace ostrevin::platform {

namespace {

std::uint32_t nowMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::unique_ptr<WaylandInputReplay> WaylandInputReplay::open() {
    auto session = WaylandSession::connect();
    if (!session || !session->pointerManager()) return nullptr;
    auto keyboard = WaylandKeyboard::open(*session);
    if (!keyboard) return nullptr;
    auto* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
        session->pointerManager(), session->seat());
    return std::unique_ptr<WaylandInputReplay>(
        new WaylandInputReplay(std::move(session), std::move(keyboard), pointer));
}

WaylandInputReplay::WaylandInputReplay(std::unique_ptr<WaylandSession> session,
                                       std::unique_ptr<WaylandKeyboard> keyboard,
                                       zwlr_virtual_pointer_v1* pointer)
    : session_(std::move(session)), keyboard_(std::move(keyboard)), pointer_(pointer) {}

WaylandInputReplay::~WaylandInputReplay() {
    keyboard_.reset();
    zwlr_virtual_pointer_v1_destroy(pointer_);
    session_->roundtrip();
}

ScreenSize WaylandInputReplay::screen() {
    return {session_->outputWidth(), session_->outputHeight()};
}

std::int64_t WaylandInputReplay::nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

bool WaylandInputReplay::waitUntil(std::int64_t dueUs) {
    session_->flush();
    std::unique_lock<std::mutex> lock(mutex_);
    const auto due = std::chrono::steady_clock::time_point(std::chrono::microseconds(dueUs));
    wake_.wait_until(lock, due, [this] { return stopped_.load(); });
    return !stopped_;
}

void WaylandInputReplay::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

// Buttons 4 to 7 are the wheel's steps, as the X server reports them.
void WaylandInputReplay::button(std::uint8_t number, bool down) {
    static constexpr std::uint32_t kButtons[] = {0, BTN_LEFT, BTN_MIDDLE, BTN_RIGHT};
    if (number >= 1 && number <= 3) {
        zwlr_virtual_pointer_v1_button(
            pointer_, nowMs(), kButtons[number],
            down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (number >= 4 && number <= 7 && down) {
        const bool vertical = number <= 5;
        const int step = (number == 4 || number == 6) ? -1 : 1;
        const auto axis =
            vertical ? WL_POINTER_AXIS_VERTICAL_SCROLL : WL_POINTER_AXIS_HORIZONTAL_SCROLL;
        zwlr_virtual_pointer_v1_axis_source(pointer_, WL_POINTER_AXIS_SOURCE_WHEEL);
        zwlr_virtual_pointer_v1_axis_discrete(pointer_, nowMs(), axis, wl_fixed_from_int(15 * step),
                                              step);
    } else {
        return;
    }
    zwlr_virtual_pointer_v1_frame(pointer_);
}

void WaylandInputReplay::send(const RawInputEvent& event) {
    switch (event.kind) {
        case RawEventKind::KeyDown:
        case RawEventKind::KeyUp:
            keyboard_->replayKey(event.detail, event.keysym, event.kind == RawEventKind::KeyDown);
            break;
        case RawEventKind::ButtonDown:
        case RawEventKind::ButtonUp:
            button(event.detail, event.kind == RawEventKind::ButtonDown);
            break;
        case RawEventKind::Motion: {
            const ScreenSize size = screen();
            if (size.width <= 0 || size.height <= 0) break;
            const auto clamp = [](std::int32_t v, int extent) {
                return static_cast<std::uint32_t>(v < 0 ? 0 : (v >= extent ? extent - 1 : v));
            };
            zwlr_virtual_pointer_v1_motion_absolute(
                pointer_, nowMs(), clamp(event.x, size.width), clamp(event.y, size.height),
                static_cast<std::uint32_t>(size.width), static_cast<std::uint32_t>(size.height));
            zwlr_virtual_pointer_v1_frame(pointer_);
            break;
        }
    }
}

void WaylandInputReplay::sync() {
    session_->roundtrip();
}

}  // namespace ostrevin::platform
