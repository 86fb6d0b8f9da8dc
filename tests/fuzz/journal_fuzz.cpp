// libFuzzer target for the recording file reader: any bytes are read or refused, and a recording
// that reads writes back to bytes that read to the same recording.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "macros/playback/journal_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const keyloom::JournalReadResult read = keyloom::decodeJournal(input);
    if (!read.ok) {
        if (read.error.empty()) __builtin_trap();
        return 0;
    }
    const keyloom::JournalReadResult again =
        keyloom::decodeJournal(keyloom::encodeJournal(read.journal));
    if (!again.ok || !(again.journal == read.journal)) __builtin_trap();
    for (const auto& event : read.journal.events)
        if (event.delayMs > keyloom::kMaxJournalDelayMs) __builtin_trap();
    return 0;
}
