// journaltool: drives the program's journal recorder from end-to-end tests and benchmarks.
//
//   journaltool record FILE [--keys-only]   prints "ready" once capturing, records until a line
//                                           arrives on standard input (or it closes)
//   journaltool play FILE [--high-speed] [--keys-only]
//                                           plays the file and prints
//                                           "finished user_cancel=0|1 seconds=S"
//   journaltool buttons                     prints the pointer buttons held down ("" for none)
#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "macros/playback/threaded_journal_recorder.h"
#include "platform/posix/atomic_file.h"
#include "platform/x11/x11_journal.h"

namespace {

using ostrevin::platform::RawInputCapture;

// The test's "user-interface thread": posted calls run on main.
class MainQueue {
  public:
    void post(std::function<void()> call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        wake_.notify_all();
    }
    void runUntil(const bool& done) {
        while (!done) {
            std::vector<std::function<void()>> now;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !calls_.empty(); });
                now.swap(calls_);
            }
            for (auto& call : now) call();
        }
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::function<void()>> calls_;
};

// Says when the capture has begun, so that a test types only after that.
class AnnouncingCapture : public RawInputCapture {
  public:
    explicit AnnouncingCapture(std::unique_ptr<RawInputCapture> inner) : inner_(std::move(inner)) {}
    bool begin(bool keysOnly, ostrevin::platform::CaptureStart& start,
               std::string& error) override {
        const bool ok = inner_->begin(keysOnly, start, error);
        std::printf(ok ? "ready\n" : "failed\n");
        std::fflush(stdout);
        return ok;
    }
    void run(const std::function<void(const ostrevin::platform::RawInputEvent&)>& f) override {
        inner_->run(f);
    }
    void stop() override { inner_->stop(); }

  private:
    std::unique_ptr<RawInputCapture> inner_;
};

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

int heldButtons() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 2;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    XCloseDisplay(display);
    const unsigned int buttons[] = {Button1Mask, Button2Mask, Button3Mask, Button4Mask,
                                    Button5Mask};
    for (int i = 0; i < 5; ++i)
        if (mask & buttons[i]) std::printf("%d\n", i + 1);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "buttons") == 0) return heldButtons();
    if (argc < 3) {
        std::fprintf(stderr, "usage: journaltool record|play FILE [options]\n");
        return 2;
    }
    const std::string command = argv[1];
    bool highSpeed = false, keysOnly = false;
    for (int i = 3; i < argc; ++i) {
        highSpeed |= std::strcmp(argv[i], "--high-speed") == 0;
        keysOnly |= std::strcmp(argv[i], "--keys-only") == 0;
    }
    MainQueue queue;
    keyloom::ThreadedJournalRecorder recorder({
        [] {
            auto inner = ostrevin::platform::X11InputCapture::open();
            if (!inner) return std::unique_ptr<RawInputCapture>();
            return std::unique_ptr<RawInputCapture>(new AnnouncingCapture(std::move(inner)));
        },
        [] {
            return std::unique_ptr<ostrevin::platform::RawInputReplay>(
                ostrevin::platform::X11InputReplay::open());
        },
        readWholeFile,
        ostrevin::platform::writeFileAtomically,
        [&queue](std::function<void()> call) { queue.post(std::move(call)); },
        [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); },
    });
    recorder.KeyStrokesOnly = keysOnly;
    if (command == "record") {
        recorder.RecordFileName = argv[2];
        recorder.StartRecording();
        std::string line;
        std::getline(std::cin, line);
        recorder.StopRecording();
        return 0;
    }
    if (command != "play") return 2;
    recorder.PlayBackFileName = argv[2];
    recorder.HiSpeedPlayBack = highSpeed;
    bool done = false, cancelled = false;
    recorder.OnFinished = [&](bool userCancel) {
        cancelled = userCancel;
        done = true;
    };
    const auto start = std::chrono::steady_clock::now();
    recorder.StartPlayBack();
    queue.runUntil(done);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("finished user_cancel=%d seconds=%.6f\n", cancelled ? 1 : 0, seconds);
    return 0;
}
