// A depth-first walk of one folder tree that looks only at what the caller asks for.
//
// The walk reads each folder once, reports the matching files of a folder before it enters any of
// its subfolders (in the order the filesystem lists them), never follows a symbolic link, never
// leaves the filesystem it started on, and skips hidden folders (names starting with "."). A name
// the visitor does not want costs no stat call, so a walk that matches little is close to the speed
// of reading the folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrevin::platform {

struct FileFacts {
    std::uint64_t size = 0;
    std::uint64_t device = 0, inode = 0;
    std::uint32_t owner = 0;
    std::int64_t modified = 0, changed = 0;  // seconds since 1970 (mtime, ctime)
};

// A folder as the filesystem knows it, whatever path leads there.
struct FolderId {
    std::uint64_t device = 0, inode = 0;
};

struct WalkProgress {
    std::uint64_t folders = 0;  // folders entered so far
    std::uint64_t files = 0;    // names of non-folders seen so far
    std::string_view folder;    // the folder being read, ending in "/"
};

class TreeVisitor {
  public:
    virtual ~TreeVisitor() = default;
    // Whether a name interests the caller: a tag of 0 or more for a match, -1 for none. Only
    // matching names that are regular files reach found().
    virtual int match(std::string_view name) = 0;
    // folder ends in "/" and starts with the walk's root.
    virtual void found(const std::string& folder, std::string_view name, int tag,
                       const FileFacts& facts) = 0;
    // Called on entering each folder and every few dozen names; false ends the walk.
    virtual bool progress(const WalkProgress& progress) = 0;
    // A folder the walk neither enters nor lists (nothing when the root is that folder).
    virtual std::optional<FolderId> skippedFolder() const { return std::nullopt; }
};

enum class WalkEnd { Completed, Cancelled, Unreadable };

class FileTree {
  public:
    virtual ~FileTree() = default;
    // root is followed if it is itself a link (it is the user's choice); nothing below it is.
    // Unreadable when the root cannot be opened; unreadable subfolders are passed over quietly.
    virtual WalkEnd walk(const std::string& root, TreeVisitor& visitor) = 0;
    // One regular file below root (relative may hold folders), reached without following links;
    // nothing when it is missing or not a regular file.
    virtual std::optional<FileFacts> regularFile(const std::string& root,
                                                 const std::string& relative) = 0;
    // The folder a path leads to (links followed), if it is one.
    virtual std::optional<FolderId> folderId(const std::string&) { return std::nullopt; }
};

}  // namespace ostrevin::platform
