// Recording fakes of the scanner's seams: drives, and the disposal of found files.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/file_disposal.h"
#include "platform/file_tree.h"

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

// Folder trees held in memory: each root's files in walk order, folders ending in "/".
class FakeFileTree : public FileTree {
  public:
    struct File {
        std::string folder;  // starts with the root
        std::string name;
        std::uint64_t size = 0;
    };
    std::map<std::string, std::vector<File>> trees;
    std::vector<std::string> walked;

    WalkEnd walk(const std::string& root, TreeVisitor& visitor) override {
        walked.push_back(root);
        auto it = trees.find(root);
        if (it == trees.end()) return WalkEnd::Unreadable;
        WalkProgress progress;
        std::string folder;
        std::uint64_t inode = 0;
        for (const auto& file : it->second) {
            if (file.folder != folder) {
                folder = file.folder;
                ++progress.folders;
                progress.folder = folder;
                if (!visitor.progress(progress)) return WalkEnd::Cancelled;
            }
            ++progress.files;
            const int tag = visitor.match(file.name);
            FileFacts facts;
            facts.size = file.size;
            facts.inode = ++inode;
            if (tag >= 0) visitor.found(file.folder, file.name, tag, facts);
        }
        return WalkEnd::Completed;
    }
    std::optional<FileFacts> regularFile(const std::string& root,
                                         const std::string& relative) override {
        for (const auto& [r, files] : trees)
            for (const auto& file : files)
                if (file.folder + file.name == root + relative) {
                    FileFacts facts;
                    facts.size = file.size;
                    return facts;
                }
        return std::nullopt;
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
