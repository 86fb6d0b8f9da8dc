// Cleaning on Linux: the freedesktop.org trash, unlinkat, and moves with renameat2 that never
// replace a file. The folders a file lies in are opened one by one below its walk's root with
// O_NOFOLLOW, and within a run of cleaning the last folder opened is kept for the next file, since
// found files come folder by folder.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <map>
#include <memory>
#include <string>

#include "platform/file_disposal.h"

namespace ostrevin::platform {

class PosixFileDisposal : public FileDisposal {
  public:
    PosixFileDisposal();
    ~PosixFileDisposal() override;
    PosixFileDisposal(const PosixFileDisposal&) = delete;
    PosixFileDisposal& operator=(const PosixFileDisposal&) = delete;

    Disposal trash(const FileRef& file) override;
    Disposal remove(const FileRef& file) override;
    Disposal moveTo(const FileRef& file, const std::string& folder) override;
    void endRun() override;

    // "$XDG_DATA_HOME/Trash" (default "~/.local/share/Trash").
    static std::string homeTrash();
    // A trashinfo Path: bytes outside the unreserved set and "/" as "%HH".
    static std::string escapePath(const std::string& path);
    // The first bytes of a name, at most most of them, never ending inside a UTF-8 character.
    static std::string cutName(const std::string& name, std::size_t most);
    // The mount point of a mountinfo table that holds an absolute path: the top folder of its
    // trash, also when the path lies in a btrfs subvolume that is not mounted itself.
    static std::string mountPointOf(const std::string& path, const std::string& mountInfo);

  private:
    struct Trash;
    struct Held {
        std::string key;
        int fd = -1;
        dev_t device = 0;  // of the folder, known once it is open
        ino_t inode = 0;
    };

    // The folder holding the file, opened without following links; -1 with error set.
    int parentOf(const FileRef& file, std::string& name, std::string& error);
    // The file as the scan saw it, or why not.
    bool stillSame(int parent, const std::string& name, const FileRef& file, struct stat& st,
                   std::string& error);
    // The trash for files on device, whose folder parent is one of them.
    Trash* trashFor(dev_t device, int parent, std::string& error);
    void trashInto(Trash& trash, int parent, const std::string& name, const struct stat& st,
                   const std::string& full, Disposal& result);
    // One move into the held destination folder, a new name when the old one is taken.
    Disposal moveInto(int parent, const std::string& name, const struct stat& st,
                      const std::string& folder);
    // Copies the file as candidate into dest, synced, then unlinks it: 0, or an errno value
    // (EEXIST when candidate is taken, ESTALE when the file was replaced).
    static int copyInto(int parent, const std::string& name, const struct stat& st, int dest,
                        const std::string& candidate);
    Disposal copyAcross(int parent, const std::string& name, const struct stat& st, int dest,
                        const std::string& folder);

    Held parent_, destination_;
    std::map<dev_t, std::unique_ptr<Trash>> trashes_;
};

}  // namespace ostrevin::platform
