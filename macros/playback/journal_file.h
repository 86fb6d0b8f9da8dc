// The journal file (".dat"): a recording of raw input as docs/journal-format.md describes it.
// Reading validates everything, so that a damaged or foreign file plays nothing instead of
// pressing keys nobody recorded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/raw_input.h"

namespace keyloom {

inline constexpr std::uint16_t kJournalVersion = 1;
// A longer pause is taken for damage: it would leave a playback hanging for hours.
inline constexpr std::uint32_t kMaxJournalDelayMs = 3'600'000;

struct JournalEvent {
    ostrevin::platform::RawEventKind kind = ostrevin::platform::RawEventKind::KeyDown;
    std::uint8_t detail = 0;  // keycode or button
    std::uint32_t keysym = 0;
    std::int32_t x = 0, y = 0;
    std::uint32_t delayMs = 0;  // since the previous event
    bool operator==(const JournalEvent&) const = default;
};

struct Journal {
    bool keysOnly = false;
    ostrevin::platform::ScreenSize screen;
    std::string layout;
    std::vector<JournalEvent> events;
    bool operator==(const Journal&) const = default;
};

std::string encodeJournal(const Journal& journal);

struct JournalReadResult {
    bool ok = false;
    std::string error;  // why the file cannot be played, for a message
    Journal journal;
};

JournalReadResult decodeJournal(std::string_view bytes);

// A pointer coordinate recorded on a screen `from` pixels wide, on one `to` pixels wide: the
// edges stay edges and the result is always on the screen.
int scaleCoordinate(int value, int from, int to);

}  // namespace keyloom
