#include "platform/posix/posix_drives.h"

#include <sys/statvfs.h>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

std::map<std::string, std::string> labelsByDevice() {
    std::map<std::string, std::string> labels;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/disk/by-label", ec))
        labels[canonical(entry.path().string())] = unescapeHex(entry.path().filename().string());
    return labels;
}

}  // namespace

std::vector<MountedDrive> PosixDrives::parseMounts(const std::string& table) {
    static const std::set<std::string> kDiskTypes = {"ext2",  "ext3",    "ext4",  "xfs",
                                                     "btrfs", "vfat",    "exfat", "ntfs3",
                                                     "ntfs",  "fuseblk", "f2fs"};
    std::map<std::string, MountedDrive> byDevice;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string source, mountPoint, type;
        if (!(fields >> source >> mountPoint >> type)) continue;
        if (!source.starts_with("/dev/") || !kDiskTypes.count(type)) continue;
        MountedDrive drive{unescapeOctal(source), unescapeOctal(mountPoint), type, ""};
        auto it = byDevice.find(drive.device);
        if (it == byDevice.end() || drive.mountPoint.size() < it->second.mountPoint.size())
            byDevice[drive.device] = drive;
    }
    std::vector<MountedDrive> drives;
    for (auto& [device, drive] : byDevice) drives.push_back(drive);
    std::sort(drives.begin(), drives.end(),
              [](const auto& a, const auto& b) { return a.mountPoint < b.mountPoint; });
    return drives;
}

std::vector<MountedDrive> PosixDrives::mountedDrives() {
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    auto drives = parseMounts(text.str());
    const auto labels = labelsByDevice();
    for (auto& drive : drives) {
        auto it = labels.find(canonical(drive.device));
        if (it != labels.end()) drive.label = it->second;
    }
    return drives;
}

std::int64_t PosixDrives::freeBytes(const std::string& path) {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

}  // namespace ostrevin::platform
