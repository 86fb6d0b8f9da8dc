#include "macros/playback/journal_schedule.h"

#include <algorithm>
#include <utility>

namespace keyloom {

using ostrevin::platform::CaptureStart;
using ostrevin::platform::RawEventKind;
using ostrevin::platform::RawInputEvent;
using ostrevin::platform::RawInputReplay;

namespace {

// What this playback holds down, so that it can let go of exactly that.
class HeldInput {
  public:
    // False for a release of something this playback never pressed: sending it could let go of
    // a key the user is holding.
    bool note(const RawInputEvent& e) {
        switch (e.kind) {
            case RawEventKind::KeyDown: keys_[e.detail] = true; return true;
            case RawEventKind::ButtonDown: buttons_[e.detail] = true; return true;
            case RawEventKind::KeyUp: return std::exchange(keys_[e.detail], false);
            case RawEventKind::ButtonUp: return std::exchange(buttons_[e.detail], false);
            case RawEventKind::Motion: return true;
        }
        return true;
    }
    void releaseAll(RawInputReplay& replay) {
        for (int i = 0; i < 256; ++i) {
            if (!std::exchange(buttons_[i], false)) continue;
            replay.send({RawEventKind::ButtonUp, static_cast<std::uint8_t>(i)});
        }
        for (int i = 0; i < 256; ++i) {
            if (!std::exchange(keys_[i], false)) continue;
            replay.send({RawEventKind::KeyUp, static_cast<std::uint8_t>(i), keysyms_[i]});
        }
    }
    bool keyDown(std::uint8_t keycode) const { return keys_[keycode]; }
    void rememberSymbol(const RawInputEvent& e) {
        if (e.kind == RawEventKind::KeyDown) keysyms_[e.detail] = e.keysym;
    }

  private:
    std::array<bool, 256> keys_{}, buttons_{};
    std::array<std::uint32_t, 256> keysyms_{};
};

RawInputEvent toRaw(const JournalEvent& e, ostrevin::platform::ScreenSize from,
                    ostrevin::platform::ScreenSize to) {
    RawInputEvent raw{e.kind, e.detail, e.keysym};
    if (!isKey(e.kind)) {
        raw.x = scaleCoordinate(e.x, from.width, to.width);
        raw.y = scaleCoordinate(e.y, from.height, to.height);
    }
    return raw;
}

}  // namespace

PlaybackOutcome playJournal(const Journal& journal, bool highSpeed, bool keysOnly,
                            RawInputReplay& replay) {
    PlaybackOutcome outcome;
    HeldInput held;
    const auto screen = replay.screen();
    std::int64_t due = replay.nowUs();
    std::size_t index = 0;
    for (const JournalEvent& e : journal.events) {
        due += std::int64_t{e.delayMs} * 1000;
        if (keysOnly && !isKey(e.kind)) continue;
        if (!highSpeed) {
            if (!replay.waitUntil(due)) break;
            const std::int64_t now = replay.nowUs();
            if (now - due > kPlaybackRebaseUs) due = now;
        } else if (index++ % kHighSpeedCancelCheck == 0 && replay.interrupted()) {
            break;
        }
        const RawInputEvent raw = toRaw(e, journal.screen, screen);
        // A key repeated while held: the release in between lets the server's own repeat start
        // afresh, so each recorded repeat gives one character and no more.
        if (raw.kind == RawEventKind::KeyDown && held.keyDown(raw.detail))
            replay.send({RawEventKind::KeyUp, raw.detail, raw.keysym});
        held.rememberSymbol(raw);
        if (held.note(raw)) replay.send(raw);
        ++outcome.sent;
    }
    outcome.interrupted = replay.interrupted();
    held.releaseAll(replay);
    replay.sync();
    outcome.userCancel = replay.userCancelled();
    return outcome;
}

RecordingFilter::RecordingFilter(const CaptureStart& start, bool keysOnly)
    : stopKeys_(setOf(start.stopKeys)),
      shiftKeys_(setOf(start.shiftKeys)),
      controlKeys_(setOf(start.controlKeys)),
      otherModifiers_(setOf(start.otherModifierKeys)),
      down_(setOf(start.heldKeys)) {
    journal_.keysOnly = keysOnly;
    journal_.screen = start.screen;
    journal_.layout = start.layout;
}

RecordingFilter::KeySet RecordingFilter::setOf(const std::vector<std::uint8_t>& keycodes) {
    KeySet set{};
    for (std::uint8_t k : keycodes) set[k] = true;
    return set;
}

bool RecordingFilter::anyDown(const KeySet& keys, const KeySet& down) {
    for (int i = 0; i < 256; ++i)
        if (keys[i] && down[i]) return true;
    return false;
}

void RecordingFilter::add(const RawInputEvent& e) {
    if (stopped_) return;
    switch (e.kind) {
        case RawEventKind::KeyDown:
            if (stopKeys_[e.detail] && anyDown(shiftKeys_, down_) && anyDown(controlKeys_, down_) &&
                !anyDown(otherModifiers_, down_)) {
                stopped_ = true;
                dropTrailingModifierPresses();
                return;
            }
            down_[e.detail] = true;
            recordedKeys_[e.detail] = true;
            break;
        case RawEventKind::KeyUp:
            down_[e.detail] = false;
            if (!std::exchange(recordedKeys_[e.detail], false)) return;
            break;
        case RawEventKind::ButtonDown: recordedButtons_[e.detail] = true; break;
        case RawEventKind::ButtonUp:
            if (!std::exchange(recordedButtons_[e.detail], false)) return;
            break;
        case RawEventKind::Motion: break;
    }
    append(e);
}

void RecordingFilter::append(const RawInputEvent& e) {
    JournalEvent j{e.kind, e.detail, e.keysym, e.x, e.y, 0};
    if (any_) j.delayMs = std::min(e.timeMs - lastTimeMs_, kMaxJournalDelayMs);
    any_ = true;
    lastTimeMs_ = e.timeMs;
    journal_.events.push_back(j);
}

// The Shift and Ctrl that were pressed for the stop key are no part of what the user recorded.
void RecordingFilter::dropTrailingModifierPresses() {
    auto& events = journal_.events;
    for (std::size_t i = events.size(); i-- > 0;) {
        const JournalEvent& e = events[i];
        if (e.kind == RawEventKind::Motion) continue;
        if (e.kind != RawEventKind::KeyDown || !(shiftKeys_[e.detail] || controlKeys_[e.detail]))
            break;
        recordedKeys_[e.detail] = false;
        events.erase(events.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

Journal RecordingFilter::finish() {
    for (int i = 0; i < 256; ++i) {
        if (!std::exchange(recordedButtons_[i], false)) continue;
        journal_.events.push_back({RawEventKind::ButtonUp, static_cast<std::uint8_t>(i)});
    }
    for (int i = 0; i < 256; ++i) {
        if (!std::exchange(recordedKeys_[i], false)) continue;
        std::uint32_t keysym = 0;
        for (const JournalEvent& e : journal_.events)
            if (e.kind == RawEventKind::KeyDown && e.detail == i) keysym = e.keysym;
        journal_.events.push_back({RawEventKind::KeyUp, static_cast<std::uint8_t>(i), keysym});
    }
    return std::move(journal_);
}

}  // namespace keyloom
