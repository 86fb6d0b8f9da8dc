#include "macros/playback/journal_schedule.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_raw_input.h"

namespace keyloom {
namespace {

using ostrevin::platform::CaptureStart;
using ostrevin::platform::FakeReplay;
using ostrevin::platform::RawEventKind;
using ostrevin::platform::RawInputEvent;
using K = RawEventKind;

JournalEvent key(K kind, std::uint8_t code, std::uint32_t delay) {
    return {kind, code, 0x61, 0, 0, delay};
}

Journal typing() {
    Journal j;
    j.screen = {1280, 1024};
    j.events = {key(K::KeyDown, 50, 0),         key(K::KeyDown, 38, 120),
                key(K::KeyUp, 38, 35),          key(K::KeyUp, 50, 0),
                {K::Motion, 0, 0, 100, 200, 7}, {K::ButtonDown, 1, 0, 0, 0, 250},
                {K::ButtonUp, 1, 0, 0, 0, 1}};
    return j;
}

std::vector<std::int64_t> offsetsMs(const FakeReplay& replay, std::int64_t start) {
    std::vector<std::int64_t> at;
    for (const auto& s : replay.sent) at.push_back((s.atUs - start) / 1000);
    return at;
}

TEST(PlaybackSchedule, RecordedSpeedKeepsEveryDelay) {
    FakeReplay replay;
    const auto start = replay.clockUs;
    const PlaybackOutcome outcome = playJournal(typing(), false, false, replay);
    EXPECT_FALSE(outcome.userCancel);
    EXPECT_EQ(outcome.sent, 7u);
    EXPECT_EQ(offsetsMs(replay, start),
              (std::vector<std::int64_t>{0, 120, 155, 155, 162, 412, 413}));
    EXPECT_GE(replay.syncs, 1);
}

TEST(PlaybackSchedule, HighSpeedSendsEverythingWithoutWaiting) {
    FakeReplay replay;
    Journal j;
    j.screen = {1280, 1024};
    for (int i = 0; i < 5000; ++i) {
        j.events.push_back(key(K::KeyDown, static_cast<std::uint8_t>(10 + i % 40), 30));
        j.events.push_back(key(K::KeyUp, static_cast<std::uint8_t>(10 + i % 40), 30));
    }
    const auto start = replay.clockUs;
    const PlaybackOutcome outcome = playJournal(j, true, false, replay);
    EXPECT_EQ(outcome.sent, 10000u);
    ASSERT_EQ(replay.sent.size(), 10000u);
    EXPECT_EQ(replay.clockUs, start);
    for (std::size_t i = 0; i < replay.sent.size(); ++i)
        ASSERT_EQ(replay.sent[i].event.kind, j.events[i].kind) << i;
}

TEST(PlaybackSchedule, ALateStartCountsDelaysAfresh) {
    FakeReplay replay;
    replay.lagUs = 50'000;  // every wait overshoots by 50 ms
    const auto start = replay.clockUs;
    Journal j;
    j.screen = {1280, 1024};
    j.events = {key(K::KeyDown, 38, 0), key(K::KeyUp, 38, 10), key(K::KeyDown, 38, 10)};
    playJournal(j, false, false, replay);
    // Without the fresh count the second and third would be sent at once to catch up.
    EXPECT_EQ(offsetsMs(replay, start), (std::vector<std::int64_t>{50, 110, 170, 170}));
}

TEST(PlaybackSchedule, KeysOnlyLeavesOutThePointerButKeepsTime) {
    FakeReplay replay;
    const auto start = replay.clockUs;
    Journal j = typing();
    j.events.push_back(key(K::KeyDown, 40, 100));
    playJournal(j, false, true, replay);
    std::vector<K> kinds;
    for (const auto& s : replay.sent) kinds.push_back(s.event.kind);
    EXPECT_EQ(kinds,
              (std::vector<K>{K::KeyDown, K::KeyDown, K::KeyUp, K::KeyUp, K::KeyDown, K::KeyUp}));
    EXPECT_EQ(offsetsMs(replay, start).at(4), 513);
}

TEST(PlaybackSchedule, PointerPositionsAreScaled) {
    FakeReplay replay;
    replay.size = {640, 512};
    playJournal(typing(), true, false, replay);
    EXPECT_EQ(replay.sent[4].event.x, 50);
    EXPECT_EQ(replay.sent[4].event.y, 100);
}

TEST(PlaybackSchedule, EveryEndReleasesWhatThePlaybackHolds) {
    Journal j;
    j.screen = {1280, 1024};
    j.events = {key(K::KeyDown, 50, 0),  key(K::KeyDown, 37, 10), {K::ButtonDown, 3, 0, 0, 0, 10},
                key(K::KeyDown, 38, 10), key(K::KeyUp, 38, 10),   key(K::KeyDown, 9, 1000)};
    const struct {
        const char* name;
        bool highSpeed;
        std::int64_t escapeAtMs;
        int escapeAfterSends;
        bool cancelled;
        std::size_t played;
    } cases[] = {
        {"completed", false, -1, -1, false, 6},
        {"esc while waiting", false, 35, -1, true, 4},
        {"esc at high speed", true, -1, 3, true, 3},
    };
    for (const auto& c : cases) {
        FakeReplay replay;
        if (c.escapeAtMs >= 0) replay.escapeAtUs = replay.clockUs + c.escapeAtMs * 1000;
        replay.escapeAfterSends = c.escapeAfterSends;
        // High speed looks for Esc every so many events: make the journal long enough.
        Journal played = j;
        if (c.highSpeed)
            for (std::size_t i = 0; i < kHighSpeedCancelCheck; ++i)
                played.events.push_back({K::Motion, 0, 0, 1, 1, 0});
        const PlaybackOutcome outcome = playJournal(played, c.highSpeed, false, replay);
        EXPECT_EQ(outcome.userCancel, c.cancelled) << c.name;
        std::array<int, 256> keys{}, buttons{};
        for (const auto& s : replay.sent) {
            const auto& e = s.event;
            if (e.kind == K::KeyDown) ++keys[e.detail];
            if (e.kind == K::KeyUp) --keys[e.detail];
            if (e.kind == K::ButtonDown) ++buttons[e.detail];
            if (e.kind == K::ButtonUp) --buttons[e.detail];
        }
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(keys[i], 0) << c.name << ": key " << i << " left held";
            EXPECT_EQ(buttons[i], 0) << c.name << ": button " << i << " left held";
        }
        EXPECT_GE(outcome.sent, c.played) << c.name;
    }
}

TEST(PlaybackSchedule, ARepeatedKeyIsLetGoBetweenRepeatsAndNoStrayReleaseIsSent) {
    FakeReplay replay;
    Journal j;
    j.screen = {1280, 1024};
    j.events = {key(K::KeyUp, 50, 0),
                key(K::KeyDown, 38, 0),
                key(K::KeyDown, 38, 30),
                key(K::KeyUp, 38, 30),
                {K::ButtonUp, 2, 0, 0, 0, 0}};
    playJournal(j, false, false, replay);
    std::vector<K> kinds;
    for (const auto& s : replay.sent) kinds.push_back(s.event.kind);
    EXPECT_EQ(kinds, (std::vector<K>{K::KeyDown, K::KeyUp, K::KeyDown, K::KeyUp}));
}

TEST(PlaybackSchedule, StopFromAnotherThreadEndsAWaitAndIsNoUserCancel) {
    FakeReplay replay;
    replay.stop();
    const PlaybackOutcome outcome = playJournal(typing(), false, false, replay);
    EXPECT_TRUE(outcome.interrupted);
    EXPECT_FALSE(outcome.userCancel);
    EXPECT_TRUE(replay.sent.empty());
}

// ---- recording ----

CaptureStart keyboard() {
    CaptureStart s;
    s.screen = {1280, 1024};
    s.layout = "evdev,pc105,us,,";
    s.stopKeys = {96};
    s.shiftKeys = {50, 62};
    s.controlKeys = {37, 105};
    s.otherModifierKeys = {64};
    return s;
}

RawInputEvent ev(K kind, std::uint8_t detail, std::uint32_t timeMs) {
    return {kind, detail, detail * 10u, 0, 0, timeMs};
}

std::vector<std::pair<K, int>> shape(const Journal& j) {
    std::vector<std::pair<K, int>> out;
    for (const auto& e : j.events) out.push_back({e.kind, e.detail});
    return out;
}

TEST(RecordingFilter, DelaysComeFromServerTimes) {
    RecordingFilter filter(keyboard(), true);
    filter.add(ev(K::KeyDown, 38, 4'294'967'290u));
    filter.add(ev(K::KeyUp, 38, 20));  // the server's clock wrapped
    filter.add(ev(K::KeyDown, 39, 150));
    filter.add(ev(K::KeyUp, 39, 150));
    const Journal j = filter.finish();
    std::vector<std::uint32_t> delays;
    for (const auto& e : j.events) delays.push_back(e.delayMs);
    EXPECT_EQ(delays, (std::vector<std::uint32_t>{0, 26, 130, 0}));
    EXPECT_TRUE(j.keysOnly);
    EXPECT_EQ(j.screen, keyboard().screen);
    EXPECT_EQ(j.events[0].keysym, 380u);
}

TEST(RecordingFilter, KeepsOnlyWhatTheUserDidBetweenStartAndStop) {
    using Events = std::vector<RawInputEvent>;
    using Shape = std::vector<std::pair<K, int>>;
    CaptureStart heldStart = keyboard();
    heldStart.heldKeys = {36, 50};  // Return and Shift still down from starting the recording
    const struct {
        const char* name;
        CaptureStart start;
        Events events;
        Shape expected;
        bool stopSeen;
    } cases[] = {
        {"release of keys held at start",
         heldStart,
         {ev(K::KeyUp, 36, 1), ev(K::KeyUp, 50, 2), ev(K::KeyDown, 38, 3), ev(K::KeyUp, 38, 4)},
         {{K::KeyDown, 38}, {K::KeyUp, 38}},
         false},
        {"button released after start",
         keyboard(),
         {ev(K::ButtonUp, 1, 1), ev(K::ButtonDown, 1, 2), ev(K::ButtonUp, 1, 3)},
         {{K::ButtonDown, 1}, {K::ButtonUp, 1}},
         false},
        {"stop key with its modifiers",
         keyboard(),
         {ev(K::KeyDown, 38, 1), ev(K::KeyUp, 38, 2), ev(K::KeyDown, 50, 3), ev(K::Motion, 0, 4),
          ev(K::KeyDown, 37, 5), ev(K::KeyDown, 96, 6), ev(K::KeyUp, 96, 7), ev(K::KeyUp, 37, 8),
          ev(K::KeyDown, 39, 9)},
         {{K::KeyDown, 38}, {K::KeyUp, 38}, {K::Motion, 0}},
         true},
        {"stop key with Shift held since the start",
         heldStart,
         {ev(K::KeyDown, 105, 5), ev(K::KeyDown, 96, 6)},
         {},
         true},
        {"F12 alone is recorded",
         keyboard(),
         {ev(K::KeyDown, 96, 1), ev(K::KeyUp, 96, 2)},
         {{K::KeyDown, 96}, {K::KeyUp, 96}},
         false},
        {"Ctrl+Alt+Shift+F12 is recorded",
         keyboard(),
         {ev(K::KeyDown, 50, 1), ev(K::KeyDown, 37, 1), ev(K::KeyDown, 64, 1),
          ev(K::KeyDown, 96, 1)},
         {{K::KeyDown, 50},
          {K::KeyDown, 37},
          {K::KeyDown, 64},
          {K::KeyDown, 96},
          {K::KeyUp, 37},
          {K::KeyUp, 50},
          {K::KeyUp, 64},
          {K::KeyUp, 96}},
         false},
        {"held at the stop are released last",
         keyboard(),
         {ev(K::KeyDown, 62, 1), ev(K::ButtonDown, 3, 2), ev(K::KeyDown, 38, 3)},
         {{K::KeyDown, 62},
          {K::ButtonDown, 3},
          {K::KeyDown, 38},
          {K::ButtonUp, 3},
          {K::KeyUp, 38},
          {K::KeyUp, 62}},
         false},
    };
    for (const auto& c : cases) {
        RecordingFilter filter(c.start, false);
        for (const auto& e : c.events) filter.add(e);
        EXPECT_EQ(filter.stopKeySeen(), c.stopSeen) << c.name;
        const Journal j = filter.finish();
        EXPECT_EQ(shape(j), c.expected) << c.name;
        for (const auto& e : j.events) {
            if (e.kind != K::KeyUp) continue;
            EXPECT_EQ(e.keysym, e.detail * 10u) << c.name;
        }
    }
}

}  // namespace
}  // namespace keyloom
