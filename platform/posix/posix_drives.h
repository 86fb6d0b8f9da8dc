// Drives on Linux: the mounted disk filesystems of /proc/self/mountinfo, one per mounted tree.
#pragma once

#include <string>
#include <vector>

#include "platform/drives.h"

namespace ostrevin::platform {

class PosixDrives : public DriveSource {
  public:
    std::vector<MountedDrive> mountedDrives() override;
    std::int64_t freeBytes(const std::string& path) override;

    // The disk filesystems of a mountinfo table (sources under "/dev/" of the known disk types),
    // ordered by mount point. A mount whose whole tree another one already walks (a second mount
    // of the same folder, a bind mount of a folder below it in the same btrfs subvolume) is left
    // out, as is one hidden under a later mount on the same point or below a hidden folder.
    // Labels and UUIDs are not filled in.
    static std::vector<MountedDrive> parseMountInfo(const std::string& table);
};

}  // namespace ostrevin::platform
