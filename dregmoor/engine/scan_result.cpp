#include "dregmoor/engine/scan_result.h"

#include "common/text.h"

namespace ostrevin::dregmoor {

std::int64_t roundedKilobytes(std::uint64_t bytes) {
    const std::uint64_t whole = bytes / 1024, rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && whole % 2 == 1)) return static_cast<std::int64_t>(whole + 1);
    return static_cast<std::int64_t>(whole);
}

std::string kilobyteText(std::int64_t kilobytes) {
    return toDecimal(kilobytes) + "k";
}

std::int64_t ResultRow::kilobytes() const {
    return roundedKilobytes(bytes);
}
std::string ResultRow::sizeText() const {
    return kilobyteText(kilobytes());
}

std::int64_t totalKilobytes(const std::vector<ResultRow>& rows) {
    std::int64_t sum = 0;
    for (const auto& row : rows) sum += row.kilobytes();
    return sum;
}

}  // namespace ostrevin::dregmoor
