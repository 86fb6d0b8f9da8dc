// The rows of the drive list: one per mounted filesystem, each given a letter "a" to "z" in
// mount-point order, captioned with the letter, a colon, the label in brackets (when it has one)
// and the mount point: "a: /", "b: [Data] /mnt/data".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/drives.h"

namespace ostrevin::dregmoor {

struct DriveRow {
    char letter = 'a';
    std::string caption;
    std::string mountPoint;  // ends in "/"
    // Which filesystem the row shows (its UUID and folder, or where the system gives no UUID, its
    // device and mount point), as sixteen hex digits; empty when not known.
    std::string id = {};
};

std::vector<DriveRow> driveRows(platform::DriveSource& source);
std::vector<std::string> driveIds(const std::vector<DriveRow>& rows);

// "a" or "A" = 1 through "z" or "Z" = 26; any other character gives 3.
int DriveNumber(char letter);

}  // namespace ostrevin::dregmoor
