// The tree walk on Linux: getdents64 on directory descriptors, each folder opened relative to its
// parent with O_NOFOLLOW, so a folder swapped for a symbolic link is never entered.
//
// At most a few dozen descriptors stay open however deep the tree goes: past that, the shallowest
// levels are closed and reopened through ".." on the way back up, checked against the device and
// inode they had, so a tree deeper than the open-file limit is walked whole.
#pragma once

#include "platform/file_tree.h"

namespace ostrevin::platform {

class PosixFileTree : public FileTree {
  public:
    // maxOpen: the most folder descriptors held at once (0: from the open-file limit).
    explicit PosixFileTree(int maxOpen = 0);
    WalkEnd walk(const std::string& root, TreeVisitor& visitor) override;
    std::optional<FileFacts> regularFile(const std::string& root,
                                         const std::string& relative) override;
    std::optional<FolderId> folderId(const std::string& path) override;

  private:
    int maxOpen_;
};

}  // namespace ostrevin::platform
