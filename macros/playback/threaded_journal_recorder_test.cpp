#include "macros/playback/threaded_journal_recorder.h"

#include <gtest/gtest.h>

#include <map>

#include "macros/playback/journal_file.h"
#include "platform/fake/fake_raw_input.h"

namespace keyloom {
namespace {

using namespace std::chrono_literals;
using ostrevin::platform::FakeCapture;
using ostrevin::platform::FakeReplay;
using ostrevin::platform::RawEventKind;
using ostrevin::platform::RawInputEvent;

// Lets the recorder own a replay that the test inspects afterwards.
class ReplayRef : public ostrevin::platform::RawInputReplay {
  public:
    explicit ReplayRef(FakeReplay& r) : r_(r) {}
    ostrevin::platform::ScreenSize screen() override { return r_.screen(); }
    std::int64_t nowUs() override { return r_.nowUs(); }
    bool waitUntil(std::int64_t due) override { return r_.waitUntil(due); }
    bool interrupted() override { return r_.interrupted(); }
    bool userCancelled() override { return r_.userCancelled(); }
    void send(const RawInputEvent& e) override { r_.send(e); }
    void sync() override { r_.sync(); }
    void stop() override { r_.stop(); }

  private:
    FakeReplay& r_;
};

class CaptureRef : public ostrevin::platform::RawInputCapture {
  public:
    explicit CaptureRef(FakeCapture& c) : c_(c) {}
    bool begin(bool k, ostrevin::platform::CaptureStart& s, std::string& e) override {
        return c_.begin(k, s, e);
    }
    void run(const std::function<void(const RawInputEvent&)>& f) override { c_.run(f); }
    void stop() override { c_.stop(); }

  private:
    FakeCapture& c_;
};

// The user-interface thread of the test: posted calls wait here until the test runs them.
struct Harness {
    FakeReplay replay;
    FakeCapture capture;
    std::mutex mutex;
    std::condition_variable posted;
    std::vector<std::function<void()>> queue;
    std::map<std::string, std::string> files;
    std::vector<std::string> messages;
    std::vector<bool> finishes;

    JournalRecorderServices services() {
        return {[this] { return std::make_unique<CaptureRef>(capture); },
                [this] { return std::make_unique<ReplayRef>(replay); },
                [this](const std::string& path) -> std::optional<std::string> {
                    std::lock_guard lock(mutex);
                    auto it = files.find(path);
                    if (it == files.end()) return std::nullopt;
                    return it->second;
                },
                [this](const std::string& path, const std::string& content) {
                    std::lock_guard lock(mutex);
                    files[path] = content;
                    return true;
                },
                [this](std::function<void()> f) {
                    std::lock_guard lock(mutex);
                    queue.push_back(std::move(f));
                    posted.notify_all();
                },
                [this](const std::string& m) {
                    std::lock_guard lock(mutex);
                    messages.push_back(m);
                }};
    }
    void attach(ThreadedJournalRecorder& r) {
        r.OnFinished = [this](bool cancel) { finishes.push_back(cancel); };
    }
    // Runs posted calls until `count` finishes arrived; false on a timeout.
    bool runUntilFinished(std::size_t count, int spins = 500) {
        for (int spin = 0; spin < spins && finishes.size() < count; ++spin) {
            std::vector<std::function<void()>> now;
            {
                std::unique_lock lock(mutex);
                posted.wait_for(lock, 10ms, [this] { return !queue.empty(); });
                now.swap(queue);
            }
            for (auto& f : now) f();
        }
        return finishes.size() == count;
    }
    void put(const std::string& path, const std::string& content) {
        std::lock_guard lock(mutex);
        files[path] = content;
    }
};

Journal twoKeys() {
    Journal j;
    j.screen = {1280, 1024};
    j.events = {{RawEventKind::KeyDown, 38, 'a', 0, 0, 0},
                {RawEventKind::KeyUp, 38, 'a', 0, 0, 20}};
    return j;
}

TEST(ThreadedJournalRecorder, PlaysAFileAndFinishesOnce) {
    Harness h;
    h.put("/p/Keys.dat", encodeJournal(twoKeys()));
    ThreadedJournalRecorder recorder(h.services());
    h.attach(recorder);
    recorder.PlayBackFileName = "/p/Keys.dat";
    recorder.StartPlayBack();
    ASSERT_TRUE(h.runUntilFinished(1));
    EXPECT_EQ(h.finishes, std::vector<bool>{false});
    EXPECT_EQ(h.replay.sent.size(), 2u);
    EXPECT_TRUE(h.messages.empty());
    EXPECT_FALSE(h.runUntilFinished(2, 20));  // and no second finish
}

TEST(ThreadedJournalRecorder, AFileThatCannotBePlayedIsReportedAndStillFinishes) {
    std::string truncated = encodeJournal(twoKeys());
    truncated.pop_back();
    const struct {
        const char* name;
        std::optional<std::string> content;
        const char* message;
    } cases[] = {
        {"missing", std::nullopt, "cannot be read"},
        {"empty", std::string(), "empty"},
        {"truncated", truncated, "truncated"},
        {"foreign", std::string("[Main]\nEntries=1\n"), "not a Keyloom recording"},
    };
    for (const auto& c : cases) {
        Harness h;
        if (c.content) h.put("/p/Bad.dat", *c.content);
        ThreadedJournalRecorder recorder(h.services());
        h.attach(recorder);
        recorder.PlayBackFileName = "/p/Bad.dat";
        recorder.StartPlayBack();
        ASSERT_TRUE(h.runUntilFinished(1)) << c.name;
        EXPECT_TRUE(h.replay.sent.empty()) << c.name;
        ASSERT_EQ(h.messages.size(), 1u) << c.name;
        EXPECT_NE(h.messages[0].find("/p/Bad.dat"), std::string::npos) << h.messages[0];
        EXPECT_NE(h.messages[0].find(c.message), std::string::npos) << h.messages[0];
    }
}

TEST(ThreadedJournalRecorder, ARecordingIsInItsFileWhenStopReturnsAndPlaysNext) {
    Harness h;
    h.capture.start.screen = {800, 600};
    h.capture.events = {{RawEventKind::KeyDown, 38, 'a', 0, 0, 100},
                        {RawEventKind::ButtonDown, 1, 0, 5, 6, 130}};
    ThreadedJournalRecorder recorder(h.services());
    h.attach(recorder);
    recorder.RecordFileName = "/p/~temp.dat";
    recorder.KeyStrokesOnly = false;
    recorder.StartRecording();
    // The recording waits for the stop; the playback asked for meanwhile waits for the file.
    recorder.PlayBackFileName = "/p/~temp.dat";
    recorder.HiSpeedPlayBack = true;
    recorder.StartPlayBack();
    std::this_thread::sleep_for(20ms);
    recorder.StopRecording();
    {
        std::lock_guard lock(h.mutex);
        ASSERT_TRUE(h.files.count("/p/~temp.dat"));
        const JournalReadResult read = decodeJournal(h.files["/p/~temp.dat"]);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.journal.screen, h.capture.start.screen);
        ASSERT_EQ(read.journal.events.size(), 4u);  // with the releases at the end
        EXPECT_EQ(read.journal.events[1].delayMs, 30u);
        EXPECT_EQ(read.journal.events[2].kind, RawEventKind::ButtonUp);
    }
    ASSERT_TRUE(h.runUntilFinished(1));
    EXPECT_EQ(h.replay.sent.size(), 4u);
    EXPECT_FALSE(h.capture.keysOnlyAsked);
}

TEST(ThreadedJournalRecorder, EndingDuringAPlaybackReleasesWhatItHolds) {
    Harness h;
    Journal j = twoKeys();
    j.events[1].delayMs = 60'000;
    h.put("/p/Long.dat", encodeJournal(j));
    h.replay.blockAfterSends = 1;  // the second key is a minute away
    {
        ThreadedJournalRecorder recorder(h.services());
        h.attach(recorder);
        recorder.PlayBackFileName = "/p/Long.dat";
        recorder.StartPlayBack();
        for (int i = 0; i < 400 && h.replay.sentCount == 0; ++i) std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(h.replay.sent.size(), 2u);
    EXPECT_EQ(h.replay.sent[1].event.kind, RawEventKind::KeyUp);
    h.runUntilFinished(1, 20);  // what was posted before the end calls nothing
    EXPECT_TRUE(h.finishes.empty());
}

// A recording that cannot be made stores nothing, leaves the file as it was and tells why.
TEST(ThreadedJournalRecorder, ARecordingThatCannotBeMadeStoresNothingAndSaysWhy) {
    const std::vector<RawInputEvent> oneKey = {{RawEventKind::KeyDown, 38, 'a', 0, 0, 100}};
    struct Case {
        const char* what;
        bool refuse, diskFull;
        std::vector<RawInputEvent> events;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"no capture", true, false, oneKey, "cannot record into /p/Old.dat: refused"},
        {"a full disk", false, true, oneKey, "cannot write the recording /p/Old.dat"},
        {"nothing captured", false, false, {}, "nothing was recorded into /p/Old.dat"},
    };
    for (const Case& c : cases) {
        Harness h;
        h.put("/p/Old.dat", "the old recording");
        h.capture.refuse = c.refuse;
        h.capture.events = c.events;
        auto services = h.services();
        if (c.diskFull)
            services.saveFile = [](const std::string&, const std::string&) { return false; };
        ThreadedJournalRecorder recorder(services);
        std::vector<std::string> failures;
        recorder.OnRecordFailed = [&](const std::string& why) { failures.push_back(why); };
        recorder.RecordFileName = "/p/Old.dat";
        recorder.StartRecording();
        std::this_thread::sleep_for(20ms);
        EXPECT_FALSE(recorder.StopRecording()) << c.what;
        h.runUntilFinished(1, 20);
        EXPECT_EQ(h.files["/p/Old.dat"], "the old recording") << c.what;
        ASSERT_EQ(failures.size(), 1u) << c.what;
        EXPECT_EQ(failures[0], std::string("The recording could not be made: ") + c.reason +
                                   ". Nothing was stored.")
            << c.what;
    }
}

// Behind a playback a recording would wait unseen and a stop would save it empty: the playbacks
// end (each still reports its end) and the recording starts at once.
TEST(ThreadedJournalRecorder, ARecordingEndsThePlaybacksBeforeIt) {
    Harness h;
    Journal j = twoKeys();
    j.events[1].delayMs = 60'000;
    h.put("/p/Long.dat", encodeJournal(j));
    h.put("/p/New.dat", "the old recording");
    h.replay.blockAfterSends = 1;
    h.capture.events = {{RawEventKind::KeyDown, 38, 'a', 0, 0, 100}};
    ThreadedJournalRecorder recorder(h.services());
    h.attach(recorder);
    recorder.PlayBackFileName = "/p/Long.dat";
    recorder.StartPlayBack();
    recorder.StartPlayBack();  // waiting behind the first
    for (int i = 0; i < 400 && h.replay.sentCount == 0; ++i) std::this_thread::sleep_for(5ms);
    recorder.RecordFileName = "/p/New.dat";
    recorder.StartRecording();
    ASSERT_TRUE(h.runUntilFinished(2));
    // The user stops a recording they have made, not one still about to start.
    for (int i = 0; i < 400 && !h.capture.running; ++i) std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(recorder.StopRecording());
    std::lock_guard lock(h.mutex);
    const JournalReadResult read = decodeJournal(h.files["/p/New.dat"]);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.journal.events.size(), 2u);
}

}  // namespace
}  // namespace keyloom
