// Drives on Linux: the mounted disk filesystems of /proc/self/mounts, one per device.
#pragma once

#include <string>
#include <vector>

#include "platform/drives.h"

namespace ostrevin::platform {

class PosixDrives : public DriveSource {
  public:
    std::vector<MountedDrive> mountedDrives() override;
    std::int64_t freeBytes(const std::string& path) override;

    // The disk filesystems of a mounts table: sources under "/dev/" of the known disk types, the
    // shortest mount point of each device, ordered by mount point. Labels are not filled in.
    static std::vector<MountedDrive> parseMounts(const std::string& table);
};

}  // namespace ostrevin::platform
