#include "macros/playback/journal_file.h"

#include <gtest/gtest.h>

namespace keyloom {
namespace {

using ostrevin::platform::RawEventKind;

Journal sample() {
    Journal j;
    j.keysOnly = false;
    j.screen = {1920, 1080};
    j.layout = "evdev,pc105,de,nodeadkeys,";
    j.events = {
        {RawEventKind::Motion, 0, 0, 1919, 0, 0},
        {RawEventKind::KeyDown, 38, 'a', 0, 0, 15},
        {RawEventKind::KeyUp, 38, 'a', 0, 0, 3'600'000},
        {RawEventKind::ButtonDown, 1, 0, 0, 0, 7},
        {RawEventKind::ButtonUp, 255, 0, 0, 0, 0},
        {RawEventKind::KeyDown, 255, 0x20ac, 0, 0, 1},
    };
    return j;
}

TEST(JournalFile, RoundTripKeepsEverything) {
    for (bool keysOnly : {false, true}) {
        Journal j = sample();
        j.keysOnly = keysOnly;
        const JournalReadResult read = decodeJournal(encodeJournal(j));
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.journal, j);
    }
    Journal empty;
    empty.screen = {640, 480};
    const JournalReadResult read = decodeJournal(encodeJournal(empty));
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.journal, empty);
}

TEST(JournalFile, EveryTruncationIsRefused) {
    const std::string bytes = encodeJournal(sample());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const JournalReadResult read = decodeJournal(std::string_view(bytes).substr(0, length));
        EXPECT_FALSE(read.ok) << "prefix of " << length << " bytes";
        EXPECT_FALSE(read.error.empty());
    }
}

std::string patched(std::size_t offset, std::string_view with) {
    std::string bytes = encodeJournal(sample());
    bytes.replace(offset, with.size(), with);
    return bytes;
}

// Offsets: magic 0, version 8, flags 10, width 12, height 14, layout length 16, layout 18,
// event count 18 + 26 = 44, first event 48 (delay 48, kind 52, detail 53, x 56, y 58).
TEST(JournalFile, DamagedAndForeignFilesAreRefusedWithAReason) {
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty", "", "empty"},
        {"text file", "Hello, this is not a recording\n", "not a Keyloom recording"},
        {"other magic", patched(0, "KEYLOOMX"), "not a Keyloom recording"},
        {"newer version", patched(8, std::string("\x02\x00", 2)), "newer version"},
        {"version 0", patched(8, std::string("\x00\x00", 2)), "damaged"},
        {"no width", patched(12, std::string("\x00\x00", 2)), "damaged"},
        {"huge layout", patched(16, std::string("\xff\xff", 2)), "damaged"},
        {"more events than bytes", patched(44, std::string("\x07\x00", 2)), "truncated"},
        {"trailing data", encodeJournal(sample()) + "x", "data after the last event"},
        {"unknown event", patched(52, std::string("\x09", 1)), "event 1"},
        {"event kind 0", patched(52, std::string("\x00", 1)), "event 1"},
        {"keycode below 8", patched(52, std::string("\x01\x05", 2)), "event 1"},
        {"button 0", patched(52, std::string("\x03\x00", 2)), "event 1"},
        {"endless delay", patched(48, std::string("\xff\xff\xff\x7f", 4)), "event 1"},
        {"negative position", patched(56, std::string("\xff\xff", 2)), "event 1"},
    };
    for (const auto& c : cases) {
        const JournalReadResult read = decodeJournal(c.bytes);
        EXPECT_FALSE(read.ok) << c.name;
        EXPECT_NE(read.error.find(c.reason), std::string::npos) << c.name << ": " << read.error;
    }
}

TEST(JournalFile, WritingClampsWhatTheFormatCannotHold) {
    Journal j;
    j.screen = {0, 100000};
    j.layout = std::string(5000, 'x');
    j.events = {{RawEventKind::Motion, 0, 0, -5, 70000, 4'000'000'000u}};
    const JournalReadResult read = decodeJournal(encodeJournal(j));
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.journal.screen, (ostrevin::platform::ScreenSize{1, 65535}));
    EXPECT_EQ(read.journal.layout.size(), 1024u);
    EXPECT_EQ(read.journal.events[0].x, 0);
    EXPECT_EQ(read.journal.events[0].y, 32767);
    EXPECT_EQ(read.journal.events[0].delayMs, kMaxJournalDelayMs);
}

TEST(JournalFile, CoordinatesScaleToTheCurrentScreen) {
    const struct {
        int value, from, to, expected;
    } cases[] = {
        {0, 1920, 1280, 0},       {1919, 1920, 1280, 1279}, {960, 1920, 1280, 640},
        {639, 640, 1280, 1279},   {320, 640, 1280, 641},    {500, 1024, 1024, 500},
        {5000, 1024, 1024, 1023}, {5000, 1024, 2048, 2047}, {10, 1, 800, 10},
        {-3, 800, 800, 0},        {100, 800, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scaleCoordinate(c.value, c.from, c.to), c.expected)
            << c.value << " from " << c.from << " to " << c.to;
}

}  // namespace
}  // namespace keyloom
