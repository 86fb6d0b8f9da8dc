#include "dregmoor/ui/drive_kind.h"

#include <array>
#include <string_view>

namespace ostrevin::dregmoor {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

DriveKind driveKind(const platform::MountedDrive& drive) {
    static constexpr std::array<std::string_view, 8> network = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "afs"};
    for (std::string_view type : network)
        if (drive.type == type) return DriveKind::Network;
    if (startsWith(drive.device, "//") || drive.device.find(":/") != std::string::npos)
        return DriveKind::Network;
    // udisks mounts removable media below /media/$USER or /run/media/$USER.
    if (startsWith(drive.mountPoint, "/media/") || startsWith(drive.mountPoint, "/run/media/"))
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

std::vector<DriveKind> driveKinds(const std::vector<DriveRow>& rows,
                                  const std::vector<platform::MountedDrive>& mounted) {
    std::vector<DriveKind> kinds;
    kinds.reserve(rows.size());
    for (const DriveRow& row : rows) {
        DriveKind kind = DriveKind::Fixed;
        for (const platform::MountedDrive& drive : mounted) {
            std::string point = drive.mountPoint;
            if (point.empty() || point.back() != '/') point += '/';
            if (point == row.mountPoint) kind = driveKind(drive);
        }
        kinds.push_back(kind);
    }
    return kinds;
}

}  // namespace ostrevin::dregmoor
