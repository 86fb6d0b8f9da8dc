#include "macros/playback/journal_file.h"

#include <algorithm>
#include <cstring>

namespace keyloom {

using ostrevin::platform::RawEventKind;

namespace {

constexpr char kMagic[8] = {'K', 'E', 'Y', 'L', 'O', 'O', 'M', 'J'};
constexpr std::size_t kEventSize = 16;
constexpr std::size_t kMaxLayoutLength = 1024;
constexpr int kMaxCoordinate = 32767;

class Writer {
  public:
    void bytes(const void* data, std::size_t size) {
        out_.append(static_cast<const char*>(data), size);
    }
    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v & 0xff));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v & 0xffff));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    std::string take() { return std::move(out_); }

  private:
    std::string out_;
};

class Reader {
  public:
    explicit Reader(std::string_view in) : in_(in) {}
    std::size_t left() const { return in_.size() - pos_; }
    bool has(std::size_t n) const { return left() >= n; }
    std::uint8_t u8() { return static_cast<std::uint8_t>(in_[pos_++]); }
    std::uint16_t u16() {
        const std::uint16_t low = u8();
        return static_cast<std::uint16_t>(low | (u8() << 8));
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | (static_cast<std::uint32_t>(u16()) << 16);
    }
    std::string_view take(std::size_t n) {
        auto part = in_.substr(pos_, n);
        pos_ += n;
        return part;
    }

  private:
    std::string_view in_;
    std::size_t pos_ = 0;
};

std::uint16_t clampScreen(int v) {
    return static_cast<std::uint16_t>(std::clamp(v, 1, 65535));
}

std::uint16_t coordinate(std::int32_t v) {
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(v, 0, kMaxCoordinate)));
}

bool validEvent(const JournalEvent& e) {
    if (e.delayMs > kMaxJournalDelayMs) return false;
    switch (e.kind) {
        case RawEventKind::KeyDown:
        case RawEventKind::KeyUp: return e.detail >= 8;
        case RawEventKind::ButtonDown:
        case RawEventKind::ButtonUp: return e.detail >= 1;
        case RawEventKind::Motion: return true;
    }
    return false;
}

JournalReadResult failure(std::string error) {
    JournalReadResult result;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::string encodeJournal(const Journal& journal) {
    Writer w;
    w.bytes(kMagic, sizeof kMagic);
    w.u16(kJournalVersion);
    w.u16(journal.keysOnly ? 1 : 0);
    w.u16(clampScreen(journal.screen.width));
    w.u16(clampScreen(journal.screen.height));
    const std::string layout = journal.layout.substr(0, kMaxLayoutLength);
    w.u16(static_cast<std::uint16_t>(layout.size()));
    w.bytes(layout.data(), layout.size());
    w.u32(static_cast<std::uint32_t>(journal.events.size()));
    for (const JournalEvent& e : journal.events) {
        w.u32(std::min(e.delayMs, kMaxJournalDelayMs));
        w.u8(static_cast<std::uint8_t>(e.kind));
        w.u8(e.detail);
        w.u16(0);
        w.u16(coordinate(e.x));
        w.u16(coordinate(e.y));
        w.u32(e.keysym);
    }
    return w.take();
}

JournalReadResult decodeJournal(std::string_view bytes) {
    if (bytes.empty()) return failure("the file is empty");
    Reader r(bytes);
    if (!r.has(sizeof kMagic) || std::memcmp(r.take(sizeof kMagic).data(), kMagic, sizeof kMagic))
        return failure("the file is not a Keyloom recording");
    if (!r.has(10)) return failure("the file is truncated");
    const std::uint16_t version = r.u16();
    if (version == 0) return failure("the file is damaged (format version 0)");
    if (version > kJournalVersion)
        return failure("the file was made by a newer version of Keyloom (format version " +
                       std::to_string(version) + ")");
    JournalReadResult result;
    Journal& j = result.journal;
    const std::uint16_t flags = r.u16();
    j.keysOnly = flags & 1;
    j.screen.width = r.u16();
    j.screen.height = r.u16();
    if (j.screen.width == 0 || j.screen.height == 0)
        return failure("the file is damaged (no screen size)");
    const std::uint16_t layoutLength = r.u16();
    if (layoutLength > kMaxLayoutLength) return failure("the file is damaged (keyboard layout)");
    if (!r.has(layoutLength + 4u)) return failure("the file is truncated");
    j.layout = std::string(r.take(layoutLength));
    const std::uint32_t count = r.u32();
    if (r.left() / kEventSize < count) return failure("the file is truncated");
    if (r.left() != std::size_t{count} * kEventSize)
        return failure("the file is damaged (data after the last event)");
    j.events.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        JournalEvent e;
        e.delayMs = r.u32();
        e.kind = static_cast<RawEventKind>(r.u8());
        e.detail = r.u8();
        r.u16();
        e.x = static_cast<std::int16_t>(r.u16());
        e.y = static_cast<std::int16_t>(r.u16());
        e.keysym = r.u32();
        if (!validEvent(e) || e.x < 0 || e.y < 0)
            return failure("the file is damaged (event " + std::to_string(i + 1) + ")");
        j.events.push_back(e);
    }
    result.ok = true;
    return result;
}

int scaleCoordinate(int value, int from, int to) {
    if (to <= 1) return 0;
    if (from <= 1 || from == to) return std::clamp(value, 0, to - 1);
    const long long scaled =
        (static_cast<long long>(value) * (to - 1) * 2 + (from - 1)) / (2LL * (from - 1));
    return static_cast<int>(std::clamp<long long>(scaled, 0, to - 1));
}

}  // namespace keyloom
