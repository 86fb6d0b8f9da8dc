// Recording fakes of the scanner's seams: drives, and the disposal of found files.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/file_disposal.h"

namespace ostrevin::platform {

class FakeDriveSource : public DriveSource {
  public:
    std::vector<MountedDrive> drives;
    std::map<std::string, std::int64_t> free;  // by path; missing: -1, as a failed query
    std::vector<std::string> asked;

    std::vector<MountedDrive> mountedDrives() override { return drives; }
    std::int64_t freeBytes(const std::string& path) override {
        asked.push_back(path);
        auto it = free.find(path);
        return it == free.end() ? -1 : it->second;
    }
};

class FakeFileDisposal : public FileDisposal {
  public:
    struct Call {
        std::string operation;  // "trash", "remove", "move"
        std::string path;
        std::string folder;
    };
    std::vector<Call> calls;
    std::map<std::string, std::string> failing;  // full path -> error

    Disposal trash(const FileRef& file) override { return record("trash", file, ""); }
    Disposal remove(const FileRef& file) override { return record("remove", file, ""); }
    Disposal moveTo(const FileRef& file, const std::string& folder) override {
        return record("move", file, folder);
    }

  private:
    Disposal record(const char* operation, const FileRef& file, const std::string& folder) {
        calls.push_back({operation, file.fullPath(), folder});
        Disposal d;
        auto it = failing.find(file.fullPath());
        d.ok = it == failing.end();
        if (!d.ok) d.error = it->second;
        return d;
    }
};

}  // namespace ostrevin::platform
