#include <gtest/gtest.h>

#include "dregmoor/engine/drive_list.h"
#include "platform/fake/scanner_fakes.h"
#include "platform/posix/posix_drives.h"

namespace ostrevin::dregmoor {
namespace {

TEST(Drives, DiskFilesystemsOnePerDeviceInMountPointOrder) {
    const std::string table =
        "proc /proc proc rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "/dev/sdb1 /media/me/USB\\040STICK vfat rw 0 0\n"
        "/dev/sda2 /var/lib/bind ext4 rw 0 0\n"  // a second mount of the same device
        "/dev/sda3 /home btrfs rw 0 0\n"
        "/dev/loop0 /snap/core squashfs ro 0 0\n"
        "server:/x /net nfs rw 0 0\n";
    const auto drives = platform::PosixDrives::parseMounts(table);
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].mountPoint, "/");
    EXPECT_EQ(drives[1].mountPoint, "/home");
    EXPECT_EQ(drives[2].mountPoint, "/media/me/USB STICK");
    EXPECT_EQ(drives[2].type, "vfat");

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
