#include "platform/posix/posix_drives.h"

#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace ostrevin::platform {

namespace {

// The mounts table writes blanks, tabs, newlines and backslashes as "\ooo".
std::string unescapeOctal(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1]))) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// udev writes unsafe characters of labels as "\xHH".
std::string unescapeHex(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size() &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            out += static_cast<char>(std::stoi(name.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string canonical(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

// udev's links of one kind ("by-label", "by-uuid"): the name for each device they point at.
std::map<std::string, std::string> namesByDevice(const char* kind) {
    std::map<std::string, std::string> names;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string("/dev/disk/") + kind, ec))
        names[canonical(entry.path().string())] = unescapeHex(entry.path().filename().string());
    return names;
}

struct Mount {
    MountedDrive drive;
    std::string deviceNumber;  // "8:2": one filesystem, however many times it is mounted
    std::string subvolume;     // btrfs "subvolid=": a walk never leaves its subvolume
};

// The next blank-separated field of a mountinfo line.
std::string field(std::istringstream& in) {
    std::string f;
    in >> f;
    return f;
}

std::optional<Mount> parseLine(const std::string& line) {
    static const std::set<std::string> kDiskTypes = {"ext2",  "ext3",    "ext4",  "xfs",
                                                     "btrfs", "vfat",    "exfat", "ntfs3",
                                                     "ntfs",  "fuseblk", "f2fs"};
    std::istringstream in(line);
    Mount m;
    field(in);  // mount id
    field(in);  // parent id
    m.deviceNumber = field(in);
    m.drive.root = unescapeOctal(field(in));
    m.drive.mountPoint = unescapeOctal(field(in));
    field(in);  // mount options
    std::string f;
    while (in >> f && f != "-") {
    }  // optional fields, up to the separator
    m.drive.type = field(in);
    m.drive.device = unescapeOctal(field(in));
    const std::string options = field(in);
    if (!m.drive.mountPoint.starts_with('/') || !m.drive.device.starts_with("/dev/") ||
        !kDiskTypes.count(m.drive.type))
        return std::nullopt;
    std::istringstream opts(options);
    while (std::getline(opts, f, ','))
        if (f.starts_with("subvolid=")) m.subvolume = f.substr(9);
    return m;
}

// Whether path lies at or below folder and reaching it from there passes no hidden folder, which
// a walk does not enter. Both are absolute.
bool walkedFrom(const std::string& folder, const std::string& path) {
    if (folder != "/" &&
        (!path.starts_with(folder) || (path.size() > folder.size() && path[folder.size()] != '/')))
        return false;
    return path.find("/.", folder == "/" ? 0 : folder.size()) == std::string::npos;
}

// Whether a's walk already covers all of b: the same filesystem and subvolume, b's folder inside
// a's. Of two mounts of the same folder, the one with the shorter mount point stays.
bool covers(const Mount& a, const Mount& b) {
    if (a.deviceNumber != b.deviceNumber || a.drive.device != b.drive.device ||
        a.subvolume != b.subvolume || !walkedFrom(a.drive.root, b.drive.root))
        return false;
    if (a.drive.root != b.drive.root) return true;
    const auto& p = a.drive.mountPoint;
    const auto& q = b.drive.mountPoint;
    return p.size() != q.size() ? p.size() < q.size() : p < q;
}

}  // namespace

std::vector<MountedDrive> PosixDrives::parseMountInfo(const std::string& table) {
    std::map<std::string, Mount> byPoint;  // the last mount on a point hides those before it
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line))
        if (auto m = parseLine(line)) byPoint[m->drive.mountPoint] = std::move(*m);
    std::vector<MountedDrive> drives;
    for (const auto& [point, mount] : byPoint) {
        // Snapshots mounted at "/.snapshots" are as hidden as the folders a walk skips.
        if (!walkedFrom("/", point)) continue;
        bool covered = false;
        for (const auto& [other, by] : byPoint)
            if (other != point && walkedFrom("/", other) && covers(by, mount)) covered = true;
        if (!covered) drives.push_back(mount.drive);
    }
    return drives;  // in mount-point order, as the map kept them
}

std::vector<MountedDrive> PosixDrives::mountedDrives() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    auto drives = parseMountInfo(text.str());
    // A file bound over a file (a container's /etc/hosts) is no tree to walk.
    std::erase_if(drives, [](const MountedDrive& d) {
        std::error_code ec;
        return !std::filesystem::is_directory(d.mountPoint, ec);
    });
    const auto labels = namesByDevice("by-label");
    const auto uuids = namesByDevice("by-uuid");
    for (auto& drive : drives) {
        const std::string device = canonical(drive.device);
        if (auto it = labels.find(device); it != labels.end()) drive.label = it->second;
        if (auto it = uuids.find(device); it != uuids.end()) drive.uuid = it->second;
        // Without udev's links, the kernel's filesystem id: taken from the UUID on ext4 and btrfs,
        // from the device elsewhere.
        struct statfs fs {};
        if (drive.uuid.empty() && ::statfs(drive.mountPoint.c_str(), &fs) == 0) {
            int words[2];
            static_assert(sizeof words == sizeof fs.f_fsid);
            std::memcpy(words, &fs.f_fsid, sizeof words);
            char text[32];
            std::snprintf(text, sizeof text, "fsid %08x%08x", static_cast<unsigned>(words[0]),
                          static_cast<unsigned>(words[1]));
            drive.uuid = text;
        }
    }
    return drives;
}

std::int64_t PosixDrives::freeBytes(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

}  // namespace ostrevin::platform
