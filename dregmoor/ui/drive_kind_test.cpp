// The icon of a drive row: removable where desktops mount sticks and cards, network for network
// filesystems, fixed otherwise; rows matched to their filesystems by mount point.
#include "dregmoor/ui/drive_kind.h"

#include <gtest/gtest.h>

using namespace ostrevin::dregmoor;
using ostrevin::platform::MountedDrive;

TEST(DriveKind, FromTypeAndPlace) {
    const struct {
        MountedDrive drive;
        DriveKind kind;
    } cases[] = {
        {{"/dev/sda2", "/", "ext4", ""}, DriveKind::Fixed},
        {{"/dev/nvme0n1p3", "/home", "btrfs", "home"}, DriveKind::Fixed},
        {{"/dev/sdb1", "/media/ann/STICK", "vfat", "STICK"}, DriveKind::Removable},
        {{"/dev/sdc1", "/run/media/ann/Card", "exfat", "Card"}, DriveKind::Removable},
        {{"/dev/sdd1", "/mediaserver", "ext4", ""}, DriveKind::Fixed},
        {{"server:/export", "/mnt/nfs", "nfs4", ""}, DriveKind::Network},
        {{"//nas/share", "/mnt/share", "cifs", ""}, DriveKind::Network},
        {{"ann@host:/", "/mnt/ssh", "fuse.sshfs", ""}, DriveKind::Network},
    };
    for (const auto& c : cases) EXPECT_EQ(driveKind(c.drive), c.kind) << c.drive.mountPoint;
}

TEST(DriveKind, RowsByMountPoint) {
    const std::vector<MountedDrive> mounted = {{"/dev/sda2", "/", "ext4", ""},
                                               {"/dev/sdb1", "/media/ann/STICK", "vfat", "STICK"}};
    std::vector<DriveRow> rows(3);
    rows[0].mountPoint = "/media/ann/STICK/";
    rows[1].mountPoint = "/";
    rows[2].mountPoint = "/gone/";
    EXPECT_EQ(driveKinds(rows, mounted),
              (std::vector<DriveKind>{DriveKind::Removable, DriveKind::Fixed, DriveKind::Fixed}));
}
