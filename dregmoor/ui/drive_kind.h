// The kind of a drive row, for its icon: a filesystem of a removable device (mounted where the
// desktop mounts sticks and cards), a network filesystem, or a fixed disk.
#pragma once

#include <string>
#include <vector>

#include "dregmoor/engine/drive_list.h"
#include "platform/drives.h"

namespace ostrevin::dregmoor {

enum class DriveKind { Fixed, Removable, Network };

DriveKind driveKind(const platform::MountedDrive& drive);

// The kind of each row, found by its mount point among the mounted drives (Fixed when missing).
std::vector<DriveKind> driveKinds(const std::vector<DriveRow>& rows,
                                  const std::vector<platform::MountedDrive>& mounted);

}  // namespace ostrevin::dregmoor
