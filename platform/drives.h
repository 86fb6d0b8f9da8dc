// The mounted filesystems that stand in for drive letters, and their free space.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrevin::platform {

struct MountedDrive {
    std::string device;      // "/dev/sda2"
    std::string mountPoint;  // "/home", without a trailing "/" except for the root
    std::string type;        // "ext4"
    std::string label;       // the filesystem label, empty when it has none
    std::string root = {};   // the folder of the filesystem shown there: "/", "/@home"
    std::string uuid = {};   // the filesystem's UUID, or another lasting id the system gives
};

class DriveSource {
  public:
    virtual ~DriveSource() = default;
    // One entry per mounted tree that no other entry reaches, ordered by mount point.
    virtual std::vector<MountedDrive> mountedDrives() = 0;
    // The bytes an unprivileged user may still use, or -1 when the query fails.
    virtual std::int64_t freeBytes(const std::string& path) = 0;
};

}  // namespace ostrevin::platform
