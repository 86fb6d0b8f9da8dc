// Recording fakes of raw input capture and replay, on a clock that only moves when waited on.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/raw_input.h"

namespace ostrevin::platform {

class FakeReplay : public RawInputReplay {
  public:
    struct Sent {
        RawInputEvent event;
        std::int64_t atUs;
    };
    ScreenSize size{1280, 1024};
    std::int64_t clockUs = 1'000'000;
    std::int64_t lagUs = 0;        // added to every wait, as a busy server would
    std::int64_t escapeAtUs = -1;  // the user presses Esc at this time
    int escapeAfterSends = -1;     // ... or after this many events were sent
    std::vector<Sent> sent;
    int syncs = 0;
    std::atomic<bool> stopped{false};
    // Once this many events were sent, waits block until stop(): a long playback.
    int blockAfterSends = -1;
    std::atomic<int> sentCount{0};

    ScreenSize screen() override { return size; }
    std::int64_t nowUs() override { return clockUs; }
    bool waitUntil(std::int64_t dueUs) override {
        if (blockAfterSends >= 0 && sentCount >= blockAfterSends) {
            std::unique_lock lock(mutex_);
            woken_.wait(lock, [this] { return stopped.load(); });
        }
        if (interrupted()) return false;
        if (escapeAtUs >= 0 && dueUs >= escapeAtUs) {
            clockUs = std::max(clockUs, escapeAtUs);
            escaped_ = true;
            return false;
        }
        clockUs = std::max(clockUs, dueUs) + lagUs;
        return true;
    }
    bool interrupted() override { return escaped_ || stopped; }
    bool userCancelled() override { return escaped_; }
    void send(const RawInputEvent& event) override {
        sent.push_back({event, clockUs});
        ++sentCount;
        if (escapeAfterSends >= 0 && static_cast<int>(sent.size()) >= escapeAfterSends)
            escaped_ = true;
    }
    void sync() override { ++syncs; }
    void stop() override {
        std::lock_guard lock(mutex_);
        stopped = true;
        woken_.notify_all();
    }

  private:
    bool escaped_ = false;
    std::mutex mutex_;
    std::condition_variable woken_;
};

class FakeCapture : public RawInputCapture {
  public:
    CaptureStart start;
    std::vector<RawInputEvent> events;  // delivered by run(), then it waits for stop()
    bool refuse = false;

    bool begin(bool keysOnly, CaptureStart& into, std::string& error) override {
        keysOnlyAsked = keysOnly;
        if (refuse) error = "refused";
        into = start;
        return !refuse;
    }
    void run(const std::function<void(const RawInputEvent&)>& onEvent) override {
        for (const auto& e : events) onEvent(e);
        running = true;
        std::unique_lock lock(mutex_);
        woken_.wait(lock, [this] { return stopped; });
    }
    void stop() override {
        std::lock_guard lock(mutex_);
        stopped = true;
        woken_.notify_all();
    }
    bool keysOnlyAsked = false;
    std::atomic<bool> running{false};  // every event delivered, waiting for stop()

  private:
    bool stopped = false;
    std::mutex mutex_;
    std::condition_variable woken_;
};

}  // namespace ostrevin::platform
