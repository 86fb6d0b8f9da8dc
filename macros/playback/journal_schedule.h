// The timing of a playback and the bookkeeping of a recording, apart from the X server: what to
// send when, what a recording keeps, and which keys and buttons must be let go at the end.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "macros/playback/journal_file.h"
#include "platform/raw_input.h"

namespace keyloom {

// A playback that falls further behind than this starts counting delays afresh, so that a stall
// is not followed by a burst of everything that was due meanwhile.
inline constexpr std::int64_t kPlaybackRebaseUs = 20'000;
// How often a high-speed playback looks for Esc: often enough to stop at once, seldom enough to
// cost nothing.
inline constexpr std::size_t kHighSpeedCancelCheck = 32;

struct PlaybackOutcome {
    bool userCancel = false;
    bool interrupted = false;
    std::size_t sent = 0;  // recorded events sent
};

// Plays the journal through `replay`, at the recorded delays or with none. keysOnly leaves out
// buttons and pointer motion. Everything the playback pressed is released before it returns,
// however it ended.
PlaybackOutcome playJournal(const Journal& journal, bool highSpeed, bool keysOnly,
                            ostrevin::platform::RawInputReplay& replay);

// Turns captured events into a journal: delays from the server's times, no release of a key or
// button the recording did not see pressed (it was held when recording began), nothing from the
// stop key Shift+Ctrl+F12 on, and releases of whatever is still held at the end.
class RecordingFilter {
  public:
    RecordingFilter(const ostrevin::platform::CaptureStart& start, bool keysOnly);
    void add(const ostrevin::platform::RawInputEvent& event);
    Journal finish();
    bool stopKeySeen() const { return stopped_; }

  private:
    using KeySet = std::array<bool, 256>;
    static KeySet setOf(const std::vector<std::uint8_t>& keycodes);
    static bool anyDown(const KeySet& keys, const KeySet& down);
    void append(const ostrevin::platform::RawInputEvent& event);
    void dropTrailingModifierPresses();

    Journal journal_;
    KeySet stopKeys_{}, shiftKeys_{}, controlKeys_{}, otherModifiers_{};
    KeySet down_{};          // keys down at the server, held-at-start ones included
    KeySet recordedKeys_{};  // keys pressed within the recording and not yet released
    KeySet recordedButtons_{};
    bool stopped_ = false;
    bool any_ = false;
    std::uint32_t lastTimeMs_ = 0;
};

}  // namespace keyloom
