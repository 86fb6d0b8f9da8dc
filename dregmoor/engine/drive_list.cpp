#include "dregmoor/engine/drive_list.h"

namespace ostrevin::dregmoor {

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
        rows.push_back(std::move(row));
    }
    return rows;
}

int DriveNumber(char letter) {
    if (letter >= 'a' && letter <= 'z') return letter - 'a' + 1;
    if (letter >= 'A' && letter <= 'Z') return letter - 'A' + 1;
    return 3;
}

}  // namespace ostrevin::dregmoor
