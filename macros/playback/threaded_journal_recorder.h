// The journal recorder: records raw input into a journal file and plays journal files back, on a
// worker thread of its own so that the user-interface thread never waits on the X server. Jobs
// run one after the other in the order they were asked for, except that a recording ends the
// playbacks before it: it starts when asked, and records the user, not a playback. OnFinished and
// OnRecordFailed are handed to `post`, which runs them on the user-interface thread; OnFinished
// once per playback.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "macros/playback/journal_recorder.h"
#include "platform/raw_input.h"

namespace keyloom {

struct JournalRecorderServices {
    std::function<std::unique_ptr<ostrevin::platform::RawInputCapture>()> openCapture;
    std::function<std::unique_ptr<ostrevin::platform::RawInputReplay>()> openReplay;
    // Called on the worker thread.
    std::function<std::optional<std::string>(const std::string& path)> readFile;
    std::function<bool(const std::string& path, const std::string& content)> saveFile;
    // Runs the function on the user-interface thread, later; callable from any thread.
    std::function<void(std::function<void()>)> post;
    // A message for the user on standard error; called on the worker thread.
    std::function<void(const std::string&)> report;
};

class ThreadedJournalRecorder : public TOlejrnl {
  public:
    // How long StopRecording waits for the file to be written.
    static constexpr int kStopWaitMs = 5000;

    explicit ThreadedJournalRecorder(JournalRecorderServices services);
    // Ends a running playback or recording, releasing what the playback holds down.
    ~ThreadedJournalRecorder() override;
    ThreadedJournalRecorder(const ThreadedJournalRecorder&) = delete;
    ThreadedJournalRecorder& operator=(const ThreadedJournalRecorder&) = delete;

    void StartRecording() override;
    void StartPlayBack() override;
    // Returns once the recording is in its file (or after kStopWaitMs at most).
    bool StopRecording() override;

    bool busy();
    // Ends a running playback or recording and the worker: what the playback held is released
    // and a recording is saved before it returns. Nothing runs afterwards.
    void shutdown();

  private:
    struct Job {
        bool record = false;
        std::string path;
        bool highSpeed = false;
        bool keysOnly = false;
        bool stopRequested = false;
        bool saved = false;
    };

    void work();
    void record(const std::shared_ptr<Job>& job);
    void play(const Job& job);
    void finished(bool userCancel);
    void recordFailed(const std::string& reason);

    JournalRecorderServices services_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::shared_ptr<Job>> queue_;
    std::shared_ptr<Job> current_;
    ostrevin::platform::RawInputCapture* capture_ = nullptr;
    ostrevin::platform::RawInputReplay* replay_ = nullptr;
    bool quit_ = false;
    // Cleared by the destructor, so that a finish posted earlier calls nothing that is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::thread worker_;
};

}  // namespace keyloom
