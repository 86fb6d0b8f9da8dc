// The rows a scan finds, as the result list shows them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_disposal.h"

namespace ostrevin::dregmoor {

// Where a row came from: a pattern's position in the pattern list, or one of the special folders.
enum SpecialSource : int { kTempFolder = -1, kCacheFolder = -2, kCookieFolder = -3 };

struct ResultRow {
    std::string folder;  // the folder holding the file, ending in "/" (the "Path" column)
    std::string name;    // the "Filename" column
    std::uint64_t bytes = 0;
    int pattern = 0;         // position in the pattern list, or a SpecialSource
    platform::FileRef file;  // what cleaning hands to the platform

    std::string fullPath() const { return folder + name; }
    std::int64_t kilobytes() const;  // rounded, halves to even
    std::string sizeText() const;    // "2k"
};

// Bytes in kilobytes (bytes / 1024) rounded to the nearest whole number, halves to even.
std::int64_t roundedKilobytes(std::uint64_t bytes);
std::string kilobyteText(std::int64_t kilobytes);  // "2k"
// The sum of the rounded sizes, as "Total Files: " and "Space Cleaned: " show it.
std::int64_t totalKilobytes(const std::vector<ResultRow>& rows);

}  // namespace ostrevin::dregmoor
