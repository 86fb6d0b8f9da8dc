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
    int pattern = 0;  // position in the pattern list, or a SpecialSource
    // The file as the scan saw it: the length of folder's leading part that was the walk's root
    // (below it no link is followed), and the identity that cleaning checks.
    std::size_t rootLength = 0;
    std::uint64_t device = 0, inode = 0;

    std::string fullPath() const { return folder + name; }
    platform::FileRef fileRef() const {
        return {folder.substr(0, rootLength), folder.substr(rootLength) + name, device, inode};
    }
    std::int64_t kilobytes() const;  // rounded, halves to even
    std::string sizeText() const;    // "2k"
};

// Bytes in kilobytes (bytes / 1024) rounded to the nearest whole number, halves to even.
std::int64_t roundedKilobytes(std::uint64_t bytes);
std::string kilobyteText(std::int64_t kilobytes);  // "2k"
// The sum of the rounded sizes, as "Total Files: " and "Space Cleaned: " show it.
std::int64_t totalKilobytes(const std::vector<ResultRow>& rows);

}  // namespace ostrevin::dregmoor
