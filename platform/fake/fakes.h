// Recording fakes of the platform seams, for tests of the logic.
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/hot_keys.h"
#include "platform/launcher.h"
#include "platform/message_pump.h"
#include "platform/timer.h"
#include "platform/windows.h"

namespace ostrevin::platform {

class FakeWindowSystem : public WindowSystem {
  public:
    std::vector<WindowInfo> windows;  // front to back
    std::vector<WindowId> unlisted;   // windows that exist but are not listed (withdrawn)
    WindowId foreground = 0;
    std::vector<WindowId> focusRequests;
    int enumerations = 0;

    std::vector<WindowInfo> enumerateWindows() override {
        ++enumerations;
        return windows;
    }
    WindowId findWindow(const std::string& title) override {
        for (const auto& w : windows)
            if (w.title == title) return w.id;
        return 0;
    }
    WindowId foregroundWindow() override { return foreground; }
    bool setForegroundWindow(WindowId window) override {
        focusRequests.push_back(window);
        if (window == 0) return false;
        foreground = window;
        return true;
    }
    bool windowExists(WindowId window) override {
        for (const auto& w : windows)
            if (w.id == window) return true;
        return std::find(unlisted.begin(), unlisted.end(), window) != unlisted.end();
    }
};

class FakeHotKeys : public HotKeys {
  public:
    std::map<int, std::pair<unsigned, std::uint8_t>> registered;
    std::set<std::pair<unsigned, std::uint8_t>> takenElsewhere;
    std::vector<int> attempts;  // ids in the order their registration was asked for
    // Held keys: every call of keysHeld counts down the checks left until they are released.
    int heldForChecks = 0;
    int keyChecks = 0;
    int watchDepth = 0;
    bool releasesWake = true;

    bool registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) override {
        attempts.push_back(id);
        if (takenElsewhere.count({modifiers, virtualKey})) return false;
        // As on the real desktop, one combination has one owner within the program too.
        for (const auto& [other, combination] : registered)
            if (other != id && combination == std::make_pair(modifiers, virtualKey)) return false;
        registered[id] = {modifiers, virtualKey};
        return true;
    }
    void unregisterHotKey(int id) override { registered.erase(id); }
    void setHandler(std::function<void(int)> handler) override { handler_ = std::move(handler); }
    bool keysHeld(int) override {
        ++keyChecks;
        if (heldForChecks == 0) return false;
        --heldForChecks;
        return true;
    }
    bool watchReleases(bool on) override {
        watchDepth += on ? 1 : -1;
        return releasesWake;
    }
    void press(int id) {
        if (handler_ && registered.count(id)) handler_(id);
    }

  private:
    std::function<void(int)> handler_;
};

class FakeLauncher : public Launcher {
  public:
    struct Call {
        std::string file, parameters, folder;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> opened;
    std::vector<std::string> edited;
    bool result = true;

    bool open(const std::string& file, const std::string& parameters,
              const std::string& folder) override {
        opened.push_back({file, parameters, folder});
        return result;
    }
    bool editText(const std::string& path) override {
        edited.push_back(path);
        return result;
    }
};

class FakeClock : public Clock {
  public:
    LocalTime current{2026, 12, 7, 21, 30, 5, 1};
    std::int64_t monotonic = 0;
    std::vector<int> sleeps;

    LocalTime now() override { return current; }
    std::int64_t monotonicMs() override { return monotonic; }
    void sleepMs(int milliseconds) override {
        sleeps.push_back(milliseconds);
        monotonic += milliseconds;
    }
    std::string format(const LocalTime& t, TimeFormat form) override {
        char buf[64];
        switch (form) {
            case TimeFormat::ShortDate:
                std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", t.month, t.day, t.year);
                break;
            case TimeFormat::LongDate:
                std::snprintf(buf, sizeof buf, "Day %d of month %d, %04d", t.day, t.month, t.year);
                break;
            case TimeFormat::ShortTime:
                std::snprintf(buf, sizeof buf, "%02d:%02d", t.hour, t.minute);
                break;
            case TimeFormat::LongTime:
                std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
                break;
        }
        return buf;
    }
};

class FakeMessagePump : public MessagePump {
  public:
    int count = 0;
    int waits = 0;
    std::function<void()> onPump;  // lets a test make timers fire or windows appear
    void processMessages() override {
        ++count;
        if (onPump) onPump();
    }
    void waitAndProcess() override {
        ++waits;
        processMessages();
    }
};

class FakeTimer : public Timer {
  public:
    int interval = 0;
    bool on = false;
    std::function<void()> tick;
    void setInterval(int milliseconds) override { interval = milliseconds; }
    void setEnabled(bool enabled) override { on = enabled; }
    bool enabled() const override { return on; }
    void setOnTick(std::function<void()> onTick) override { tick = std::move(onTick); }
    void fire() {
        if (on && tick) tick();
    }
};

class FakeFileSystem : public FileSystem {
  public:
    std::map<std::string, std::string> files;
    std::vector<std::string> removed;

    std::optional<std::string> readFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    bool writeFile(const std::string& path, const std::string& content) override {
        files[path] = content;
        return true;
    }
    bool removeFile(const std::string& path) override {
        removed.push_back(path);
        files.erase(path);
        return true;
    }
    bool exists(const std::string& path) override { return files.count(path) > 0; }
};

}  // namespace ostrevin::platform
