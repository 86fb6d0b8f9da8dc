#include <gtest/gtest.h>

#include "dregmoor/engine/drive_list.h"
#include "platform/fake/scanner_fakes.h"
#include "platform/posix/posix_drives.h"

namespace ostrevin::dregmoor {
namespace {

// A mountinfo line: id, parent, device number, folder of the filesystem, mount point, options,
// optional fields, "-", type, source, filesystem options.
std::string line(const std::string& number, const std::string& root, const std::string& point,
                 const std::string& type, const std::string& source,
                 const std::string& options = "rw") {
    return "30 1 " + number + " " + root + " " + point + " rw,relatime shared:1 - " + type + " " +
           source + " " + options + "\n";
}

TEST(Drives, OneRowPerMountedTreeThatNoOtherRowReaches) {
    const std::string sub256 = "rw,subvolid=256,subvol=/@",
                      sub257 = "rw,subvolid=257,subvol=/@home";
    struct Case {
        const char* what;
        std::string table;
        std::vector<std::string> points;
    } cases[] = {
        {"disk filesystems only, in mount-point order, blanks unescaped",
         "22 1 0:21 / /proc rw - proc proc rw\n" + line("8:2", "/", "/", "ext4", "/dev/sda2") +
             line("0:30", "/", "/tmp", "tmpfs", "tmpfs") +
             line("8:17", "/", "/media/me/USB\\040STICK", "vfat", "/dev/sdb1") +
             line("7:0", "/", "/snap/core", "squashfs", "/dev/loop0") +
             line("0:50", "/x", "/net", "nfs", "server:/x"),
         {"/", "/media/me/USB STICK"}},
        {"btrfs subvolumes of one device are rows of their own",
         line("0:40", "/@", "/", "btrfs", "/dev/sda3", sub256) +
             line("0:40", "/@home", "/home", "btrfs", "/dev/sda3", sub257) +
             line("0:40", "/", "/mnt/top", "btrfs", "/dev/sda3", "rw,subvolid=5,subvol=/"),
         {"/", "/home", "/mnt/top"}},
        {"a bind mount of a folder the walk reaches is left out, also in the same subvolume",
         line("8:2", "/", "/", "ext4", "/dev/sda2") +
             line("8:2", "/srv/data", "/data", "ext4", "/dev/sda2") +
             line("8:2", "/", "/var/lib/again", "ext4", "/dev/sda2") +
             line("0:40", "/@", "/b", "btrfs", "/dev/sda3", sub256) +
             line("0:40", "/@/srv", "/b2", "btrfs", "/dev/sda3", sub256),
         {"/", "/b"}},
        {"a bind mount of another part of a device is a row of its own",
         line("8:2", "/", "/", "ext4", "/dev/sda2") +
             line("8:3", "/shared/docs", "/docs", "ext4", "/dev/sda3") +
             line("8:3", "/shared/music", "/music", "ext4", "/dev/sda3") +
             line("8:2", "/home/me/.cache/x", "/cachex", "ext4", "/dev/sda2"),
         {"/", "/cachex", "/docs", "/music"}},
        {"hidden mount points and mounts hidden under a later one are left out",
         line("0:40", "/@", "/", "btrfs", "/dev/sda3", sub256) +
             line("0:40", "/@/.snapshots", "/.snapshots", "btrfs", "/dev/sda3",
                  "rw,subvolid=258,subvol=/@/.snapshots") +
             line("8:17", "/", "/mnt/usb", "vfat", "/dev/sdb1") +
             line("8:33", "/", "/mnt/usb", "exfat", "/dev/sdc1"),
         {"/", "/mnt/usb"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> points;
        for (const auto& drive : platform::PosixDrives::parseMountInfo(c.table))
            points.push_back(drive.mountPoint);
        EXPECT_EQ(points, c.points) << c.what;
    }
    const auto top = platform::PosixDrives::parseMountInfo(cases[4].table);
    EXPECT_EQ(top.back().device, "/dev/sdc1");
    EXPECT_EQ(platform::PosixDrives::parseMountInfo(cases[1].table)[1].root, "/@home");
}

TEST(Drives, RowsAreLetteredAndCaptioned) {
    std::vector<platform::MountedDrive> drives = {
        {"/dev/sda2", "/", "ext4", "", "/", ""},
        {"/dev/sda3", "/home", "btrfs", "", "/@home", ""},
        {"/dev/sdb1", "/media/me/USB STICK", "vfat", "", "/", ""}};
    platform::FakeDriveSource source;
    source.drives = drives;
    source.drives[1].label = "Home";
    const auto rows = driveRows(source);
    EXPECT_EQ(rows[0].caption, "a: /");
    EXPECT_EQ(rows[0].mountPoint, "/");
    EXPECT_EQ(rows[1].caption, "b: [Home] /home");
    EXPECT_EQ(rows[2].letter, 'c');
    EXPECT_EQ(rows[2].mountPoint, "/media/me/USB STICK/");
}

TEST(Drives, DriveNumbersFollowTheLetters) {
    struct Case {
        char letter;
        int number;
    } cases[] = {{'a', 1}, {'A', 1}, {'c', 3}, {'z', 26}, {'Z', 26}, {'1', 3}, {':', 3}};
    for (const auto& c : cases) EXPECT_EQ(DriveNumber(c.letter), c.number) << c.letter;
}

}  // namespace
}  // namespace ostrevin::dregmoor
