// Removing found files: to the trash, for good, or into a folder.
//
// A file is named by the folder its walk started from and its path below that folder. Every
// folder below the root is opened without following symbolic links, so a folder swapped for a link
// after the scan cannot send an operation outside the scanned tree, and the file itself must still
// be the one the scan saw (same device and inode, still a regular file) or it is left alone.
#pragma once

#include <cstdint>
#include <string>

namespace ostrevin::platform {

struct FileRef {
    std::string root;                     // absolute, ending in "/"
    std::string relative;                 // "sub/folder/name.tmp", no leading "/"
    std::uint64_t device = 0, inode = 0;  // 0 and 0: not checked

    std::string fullPath() const { return root + relative; }
};

struct Disposal {
    bool ok = false;
    std::string error;        // why it failed, for the user ("Permission denied")
    std::string destination;  // where the file went (trash or move), when it moved
};

class FileDisposal {
  public:
    virtual ~FileDisposal() = default;
    // The freedesktop.org trash of the file's filesystem: the home trash on the home filesystem,
    // "$topdir/.Trash/$uid" or "$topdir/.Trash-$uid" elsewhere.
    virtual Disposal trash(const FileRef& file) = 0;
    virtual Disposal remove(const FileRef& file) = 0;
    // Into folder (created when missing); a name already there gets a new name for the moved
    // file, never overwritten. Across filesystems the file is copied, synced, then unlinked.
    virtual Disposal moveTo(const FileRef& file, const std::string& folder) = 0;
    // A run of cleaning has ended. Folders kept open to save calls within the run are closed, so
    // that between runs a drive can be unmounted and a folder removed and made again.
    virtual void endRun() {}
};

}  // namespace ostrevin::platform
