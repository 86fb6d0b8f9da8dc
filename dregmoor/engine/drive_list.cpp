#include "dregmoor/engine/drive_list.h"

namespace ostrevin::dregmoor {

namespace {

// A filesystem stays the same one when it is mounted elsewhere, as long as its UUID is known.
std::string fingerprint(const platform::MountedDrive& drive) {
    const std::string text =
        (drive.uuid.empty() ? "device " + drive.device + '\n' + drive.type + '\n' + drive.mountPoint
                            : "uuid " + drive.uuid) +
        '\n' + drive.root;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    static const char* kHex = "0123456789abcdef";
    std::string id(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) id[static_cast<std::size_t>(i)] = kHex[hash & 15];
    return id;
}

}  // namespace

std::vector<DriveRow> driveRows(platform::DriveSource& source) {
    std::vector<DriveRow> rows;
    for (const auto& drive : source.mountedDrives()) {
        if (rows.size() == 26) break;  // the letters run out; later mounts are not offered
        DriveRow row;
        row.letter = static_cast<char>('a' + rows.size());
        row.mountPoint =
            drive.mountPoint.ends_with('/') ? drive.mountPoint : drive.mountPoint + "/";
        row.caption = std::string(1, row.letter) + ": ";
        if (!drive.label.empty()) row.caption += "[" + drive.label + "] ";
        row.caption += drive.mountPoint;
        row.id = fingerprint(drive);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> driveIds(const std::vector<DriveRow>& rows) {
    std::vector<std::string> ids;
    for (const auto& row : rows) ids.push_back(row.id);
    return ids;
}

int DriveNumber(char letter) {
    if (letter >= 'a' && letter <= 'z') return letter - 'a' + 1;
    if (letter >= 'A' && letter <= 'Z') return letter - 'A' + 1;
    return 3;
}

}  // namespace ostrevin::dregmoor
