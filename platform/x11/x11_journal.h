// Raw input capture through the RECORD extension and replay through XTest, each on connections
// of its own, so that neither competes with the toolkit's connection nor slows other programs:
// RECORD streams events without a round trip per event.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/raw_input.h"

typedef struct _XDisplay Display;

namespace ostrevin::platform {

class X11InputCapture : public RawInputCapture {
  public:
    // nullptr when the display cannot be opened or lacks the RECORD extension.
    static std::unique_ptr<X11InputCapture> open(const char* displayName = nullptr);
    ~X11InputCapture() override;

    bool begin(bool keysOnly, CaptureStart& start, std::string& error) override;
    void run(const std::function<void(const RawInputEvent&)>& onEvent) override;
    void stop() override;
    // For the RECORD callback.
    void intercept(int category, const unsigned char* data, unsigned long length);

  private:
    X11InputCapture(Display* control, Display* data, int wakeFd);
    void deliver(const unsigned char* data);

    Display* control_;
    Display* data_;
    int wakeFd_;
    unsigned long context_ = 0;
    std::atomic<bool> stopped_{false};
    std::array<std::uint32_t, 256> keysyms_{};
    const std::function<void(const RawInputEvent&)>* onEvent_ = nullptr;
    bool ended_ = false;
};

class X11InputReplay : public RawInputReplay {
  public:
    // How long a released button may stay held by a window manager's click grab.
    static constexpr std::int64_t kThawWaitUs = 250'000;

    // nullptr when the display cannot be opened or lacks the XTest extension.
    static std::unique_ptr<X11InputReplay> open(const char* displayName = nullptr);
    ~X11InputReplay() override;

    ScreenSize screen() override;
    std::int64_t nowUs() override;
    bool waitUntil(std::int64_t dueUs) override;
    bool interrupted() override;
    bool userCancelled() override { return userCancel_; }
    void send(const RawInputEvent& event) override;
    void sync() override;
    void stop() override;

  private:
    X11InputReplay(Display* display, int wakeFd);
    void watchEscape();
    void drainEvents();
    void waitForPointerThaw(std::uint8_t button);
    std::uint8_t keycodeFor(const RawInputEvent& event) const;

    Display* display_;
    int wakeFd_;
    int xiOpcode_ = -1;
    std::atomic<bool> stopped_{false};
    bool userCancel_ = false;
    int ownEscapes_ = 0;  // Esc presses this playback sent that the watch has not seen yet
    std::array<std::uint32_t, 256> keysyms_{};
    std::array<bool, 256> escapeKeys_{};
};

}  // namespace ostrevin::platform
