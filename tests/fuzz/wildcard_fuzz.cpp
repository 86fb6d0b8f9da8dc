// libFuzzer target for the wildcard matcher: any pattern against any name ends quickly without a
// crash, and a name that matches ends with the byte the scan's quick check lets through.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dregmoor/engine/wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = data[0] < input.size() ? data[0] : input.size();
    const ostrevin::dregmoor::Wildcard wildcard(input.substr(0, split));
    const std::string_view name = input.substr(split);
    if (!wildcard.matches(name)) return 0;
    const char last = wildcard.lastByte();
    if (last != 0) {
        char end = name.empty() ? 0 : name.back();
        if (end >= 'A' && end <= 'Z') end = static_cast<char>(end + 32);
        if (end != last) __builtin_trap();
    }
    return 0;
}
