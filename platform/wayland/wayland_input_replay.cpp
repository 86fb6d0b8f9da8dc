#include "platform/wayland/wayland_input_replay.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>

#include "kde-fake-input-client-protocol.h"
#include "platform/wayland/fake_input_keyboard.h"
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
    if (session && !session->pointerManager() && !session->keyboardManager()) {
        auto keyboard = FakeInputKeyboard::open(*session);
        if (!keyboard) return nullptr;
        return std::unique_ptr<WaylandInputReplay>(
            new WaylandInputReplay(std::move(session), std::move(keyboard)));
    }
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

WaylandInputReplay::WaylandInputReplay(std::unique_ptr<WaylandSession> session,
                                       std::unique_ptr<FakeInputKeyboard> keyboard)
    : session_(std::move(session)), fakeKeyboard_(std::move(keyboard)) {}

WaylandInputReplay::~WaylandInputReplay() {
    keyboard_.reset();
    fakeKeyboard_.reset();
    if (pointer_) zwlr_virtual_pointer_v1_destroy(pointer_);
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

// KWin's fake input has no frames and no discrete steps: a wheel step is one axis event of the
// size a wheel notch gives.
void WaylandInputReplay::fakeButton(std::uint8_t number, bool down) {
    static constexpr std::uint32_t kButtons[] = {0, BTN_LEFT, BTN_MIDDLE, BTN_RIGHT};
    if (number >= 1 && number <= 3) {
        org_kde_kwin_fake_input_button(
            session_->fakeInput(), kButtons[number],
            down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (number >= 4 && number <= 7 && down) {
        const int step = (number == 4 || number == 6) ? -1 : 1;
        org_kde_kwin_fake_input_axis(
            session_->fakeInput(),
            number <= 5 ? WL_POINTER_AXIS_VERTICAL_SCROLL : WL_POINTER_AXIS_HORIZONTAL_SCROLL,
            wl_fixed_from_int(15 * step));
    }
}

void WaylandInputReplay::send(const RawInputEvent& event) {
    const bool down = event.kind == RawEventKind::KeyDown || event.kind == RawEventKind::ButtonDown;
    switch (event.kind) {
        case RawEventKind::KeyDown:
        case RawEventKind::KeyUp:
            if (fakeKeyboard_)
                fakeKeyboard_->replayKey(event.detail, event.keysym, down);
            else
                keyboard_->replayKey(event.detail, event.keysym, down);
            break;
        case RawEventKind::ButtonDown:
        case RawEventKind::ButtonUp:
            if (fakeKeyboard_)
                fakeButton(event.detail, down);
            else
                button(event.detail, down);
            break;
        case RawEventKind::Motion: {
            const ScreenSize size = screen();
            if (size.width <= 0 || size.height <= 0) break;
            const auto clamp = [](std::int32_t v, int extent) {
                return static_cast<std::uint32_t>(v < 0 ? 0 : (v >= extent ? extent - 1 : v));
            };
            if (fakeKeyboard_) {
                // KWin's own coordinates, which are the output's for the first output.
                org_kde_kwin_fake_input_pointer_motion_absolute(
                    session_->fakeInput(),
                    wl_fixed_from_int(static_cast<int>(clamp(event.x, size.width))),
                    wl_fixed_from_int(static_cast<int>(clamp(event.y, size.height))));
                break;
            }
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
