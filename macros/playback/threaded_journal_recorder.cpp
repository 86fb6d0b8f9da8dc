#include "macros/playback/threaded_journal_recorder.h"

#include <chrono>
#include <utility>
#include <vector>

#include "macros/playback/journal_file.h"
#include "macros/playback/journal_schedule.h"

namespace keyloom {

ThreadedJournalRecorder::ThreadedJournalRecorder(JournalRecorderServices services)
    : services_(std::move(services)), worker_([this] { work(); }) {}

ThreadedJournalRecorder::~ThreadedJournalRecorder() {
    *alive_ = false;
    shutdown();
}

void ThreadedJournalRecorder::shutdown() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        queue_.clear();
        if (current_) current_->stopRequested = true;
        if (capture_) capture_->stop();
        if (replay_) replay_->stop();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void ThreadedJournalRecorder::StartRecording() {
    auto job = std::make_shared<Job>();
    job->record = true;
    job->path = RecordFileName;
    job->keysOnly = KeyStrokesOnly;
    int dropped = 0;
    {
        std::lock_guard lock(mutex_);
        // Behind a playback the recording would wait unseen while the user acts, and a stop in
        // that time would record nothing: the playbacks end now, each still reporting its end.
        if (current_ && !current_->record && replay_) replay_->stop();
        if (current_ && !current_->record) current_->stopRequested = true;
        dropped = static_cast<int>(std::erase_if(queue_, [](const auto& j) { return !j->record; }));
        queue_.push_back(std::move(job));
    }
    for (int i = 0; i < dropped; ++i) finished(false);
    wake_.notify_all();
}

void ThreadedJournalRecorder::StartPlayBack() {
    auto job = std::make_shared<Job>();
    job->path = PlayBackFileName;
    job->highSpeed = HiSpeedPlayBack;
    job->keysOnly = KeyStrokesOnly;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_all();
}

bool ThreadedJournalRecorder::StopRecording() {
    std::unique_lock lock(mutex_);
    std::vector<std::shared_ptr<Job>> stopped;
    if (current_ && current_->record) stopped.push_back(current_);
    auto recording = [this] {
        if (current_ && current_->record) return true;
        for (const auto& job : queue_)
            if (job->record) return true;
        return false;
    };
    for (const auto& job : queue_)
        if (job->record) {
            job->stopRequested = true;
            stopped.push_back(job);
        }
    if (current_ && current_->record) {
        current_->stopRequested = true;
        if (capture_) capture_->stop();
    }
    idle_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs), [&] { return !recording(); });
    return !stopped.empty() && stopped.back()->saved;
}

bool ThreadedJournalRecorder::busy() {
    std::lock_guard lock(mutex_);
    return current_ || !queue_.empty();
}

void ThreadedJournalRecorder::work() {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (quit_) return;
            job = queue_.front();
            queue_.pop_front();
            current_ = job;
        }
        if (job->record)
            record(job);
        else
            play(*job);
        {
            std::lock_guard lock(mutex_);
            current_.reset();
        }
        idle_.notify_all();
    }
}

void ThreadedJournalRecorder::record(const std::shared_ptr<Job>& job) {
    {
        // Stopped while it waited: a capture begun now would save nothing over the file.
        std::lock_guard lock(mutex_);
        if (job->stopRequested) return recordFailed("nothing was recorded into " + job->path);
    }
    auto capture = services_.openCapture();
    ostrevin::platform::CaptureStart start;
    std::string error = "the X server cannot be reached or lacks the RECORD extension";
    if (!capture || !capture->begin(job->keysOnly, start, error))
        return recordFailed("cannot record into " + job->path + ": " + error);
    RecordingFilter filter(start, job->keysOnly);
    bool stopNow = false;
    {
        std::lock_guard lock(mutex_);
        capture_ = capture.get();
        stopNow = job->stopRequested;
    }
    if (!stopNow) capture->run([&](const ostrevin::platform::RawInputEvent& e) { filter.add(e); });
    {
        std::lock_guard lock(mutex_);
        capture_ = nullptr;
    }
    capture.reset();
    const Journal journal = filter.finish();
    // An empty recording saved would replace a good one with nothing.
    if (journal.events.empty()) return recordFailed("nothing was recorded into " + job->path);
    if (!services_.saveFile(job->path, encodeJournal(journal)))
        return recordFailed("cannot write the recording " + job->path);
    std::lock_guard lock(mutex_);
    job->saved = true;
}

void ThreadedJournalRecorder::play(const Job& job) {
    const auto bytes = services_.readFile(job.path);
    if (!bytes) {
        services_.report("Keyloom: cannot play back " + job.path + ": the file cannot be read");
        return finished(false);
    }
    const JournalReadResult read = decodeJournal(*bytes);
    if (!read.ok) {
        services_.report("Keyloom: cannot play back " + job.path + ": " + read.error);
        return finished(false);
    }
    auto replay = services_.openReplay();
    if (!replay) {
        services_.report("Keyloom: cannot play back " + job.path +
                         ": the X server cannot be reached or lacks the XTEST extension");
        return finished(false);
    }
    {
        std::lock_guard lock(mutex_);
        replay_ = replay.get();
        if (quit_ || job.stopRequested) replay->stop();
    }
    const PlaybackOutcome outcome = playJournal(read.journal, job.highSpeed, job.keysOnly, *replay);
    {
        std::lock_guard lock(mutex_);
        replay_ = nullptr;
    }
    finished(outcome.userCancel);
}

void ThreadedJournalRecorder::recordFailed(const std::string& reason) {
    services_.report("Keyloom: " + reason);
    services_.post([this, alive = alive_, reason] {
        if (*alive && OnRecordFailed)
            OnRecordFailed("The recording could not be made: " + reason + ". Nothing was stored.");
    });
}

void ThreadedJournalRecorder::finished(bool userCancel) {
    services_.post([this, alive = alive_, userCancel] {
        if (*alive && OnFinished) OnFinished(userCancel);
    });
}

}  // namespace keyloom
