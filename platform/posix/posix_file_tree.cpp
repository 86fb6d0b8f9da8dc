#include "platform/posix/posix_file_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace ostrevin::platform {

namespace {

struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

constexpr int kOpenDir = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::uint64_t kProgressEvery = 64;
// The largest record getdents64 gives (a 255-byte name), rounded up.
constexpr long kLargestRecord = 512;

// The filesystem type of a folder, 0 when unknown.
unsigned long filesystemOf(int fd) {
    struct statfs fs {};
    return ::fstatfs(fd, &fs) == 0 ? static_cast<unsigned long>(fs.f_type) : 0;
}

// Filesystems whose getdents64 fills the buffer until the folder ends, so a short answer is the
// end and the call that would return nothing can be saved.
bool fillsWholeBuffer(unsigned long type) {
    switch (type) {
        case EXT4_SUPER_MAGIC:
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC: return true;
        default: return false;
    }
}

struct Level {
    int fd = -1;
    dev_t device = 0;  // known for the root, and for others once their descriptor is closed
    ino_t inode = 0;
    std::size_t pathLength = 0;  // of the walk's path string, this folder's "/" included
    std::string subfolders;      // names of the folders still to enter, each ending in '\0'
    std::size_t next = 0;        // offset of the next name in subfolders
};

FileFacts factsOf(const struct stat& st) {
    FileFacts f;
    f.size = static_cast<std::uint64_t>(st.st_size);
    f.device = st.st_dev;
    f.inode = st.st_ino;
    f.owner = st.st_uid;
    f.modified = st.st_mtim.tv_sec;
    f.changed = st.st_ctim.tv_sec;
    return f;
}

class Walk {
  public:
    Walk(TreeVisitor& visitor, std::vector<char>& buffer, int maxOpen)
        : visitor_(visitor), buffer_(buffer), maxOpen_(maxOpen) {}

    WalkEnd run(const std::string& root) {
        const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return WalkEnd::Unreadable;
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            return WalkEnd::Unreadable;
        }
        device_ = st.st_dev;
        skipped_ = visitor_.skippedFolder();
        if (skipped_ && skipped_->device != device_) skipped_.reset();
        if (skipped_ && skipped_->inode == st.st_ino) {
            ::close(fd);
            return WalkEnd::Completed;
        }
        path_ = root;
        if (!path_.ends_with('/')) path_ += '/';
        levels_.push_back({fd, st.st_dev, st.st_ino, path_.size(), {}, 0});
        open_ = 1;
        const unsigned long type = filesystemOf(fd);
        shortMeansEnd_ = fillsWholeBuffer(type);
        // A btrfs subvolume inside the tree is no mount point, so openat2 would enter it; it is
        // a filesystem of its own (its own device), reached through its own mount if at all.
        subvolumes_ = type == BTRFS_SUPER_MAGIC;
        const bool whole = readLevel(levels_.back()) && descend();
        for (auto& level : levels_)
            if (level.fd >= 0) ::close(level.fd);
        return whole ? WalkEnd::Completed : WalkEnd::Cancelled;
    }

  private:
    bool tellProgress() {
        progress_.folder = path_;
        return visitor_.progress(progress_);
    }

    // Reports the matching files of a folder and notes its subfolders; false when cancelled.
    bool readLevel(Level& level) {
        ++progress_.folders;
        if (!tellProgress()) return false;
        for (;;) {
            const long size = static_cast<long>(buffer_.size());
            const long n = ::syscall(SYS_getdents64, level.fd, buffer_.data(), size);
            if (n <= 0) return true;  // the end, or a folder that cannot be read further
            for (long pos = 0; pos < n;) {
                const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer_.data() + pos);
                pos += entry->d_reclen;
                if (!entry_(level, entry->d_name, entry->d_type, entry->d_ino)) return false;
            }
            if (shortMeansEnd_ && n < size - kLargestRecord) return true;
        }
    }

    bool entry_(Level& level, const char* name, unsigned char type, ino64_t inode) {
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) return true;
        struct stat st {};
        bool statted = false;
        if (type == DT_UNKNOWN) {
            if (::fstatat(level.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
            statted = true;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
        }
        if (type == DT_DIR) {
            // The listing names a folder's inode, so passing over one costs no call.
            const bool skipped = skipped_ && skipped_->inode == (statted ? st.st_ino : inode);
            if (name[0] != '.' && !skipped) level.subfolders.append(name, std::strlen(name) + 1);
            return true;
        }
        if (++progress_.files % kProgressEvery == 0 && !tellProgress()) return false;
        if (type != DT_REG) return true;  // links, sockets, pipes and devices are never listed
        const std::string_view view(name);
        const int tag = visitor_.match(view);
        if (tag < 0) return true;
        if (!statted && ::fstatat(level.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
        if (S_ISREG(st.st_mode)) visitor_.found(path_, view, tag, factsOf(st));
        return true;
    }

    // Keeps the number of open descriptors under the limit by closing the shallowest one.
    void makeRoom() {
        if (open_ < maxOpen_) return;
        for (auto& level : levels_)
            if (level.fd >= 0) {
                struct stat st {};
                if (::fstat(level.fd, &st) == 0) level.device = st.st_dev, level.inode = st.st_ino;
                ::close(level.fd);
                level.fd = -1;
                --open_;
                return;
            }
    }

    // Reopens the parent of the deepest level through "..", if it was closed; false when it is no
    // longer the folder it was (moved away meanwhile).
    bool reopenParent() {
        Level& child = levels_.back();
        Level& parent = levels_[levels_.size() - 2];
        if (parent.fd >= 0) return true;
        const int fd = ::openat(child.fd, "..", kOpenDir);
        if (fd < 0) return false;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_dev != parent.device || st.st_ino != parent.inode) {
            ::close(fd);
            return false;
        }
        parent.fd = fd;
        ++open_;
        return true;
    }

    void popLevel() {
        if (levels_.back().fd >= 0) {
            ::close(levels_.back().fd);
            --open_;
        }
        levels_.pop_back();
        path_.resize(levels_.back().pathLength);
    }

    // openat2 refuses links and mount points in the one call; where the kernel lacks it, the
    // device is compared after a plain openat.
    int openSubfolder(int parent, const char* name) {
        if (useOpenat2_) {
            struct open_how how {};
            how.flags = kOpenDir;
            how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
            const long fd = ::syscall(SYS_openat2, parent, name, &how, sizeof how);
            if (fd >= 0 && subvolumes_) return onThisDevice(static_cast<int>(fd));
            if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG))
                return static_cast<int>(fd);
            useOpenat2_ = false;
        }
        return onThisDevice(::openat(parent, name, kOpenDir));
    }

    // The folder when it lies on the walk's device; closed and -1 otherwise.
    int onThisDevice(int fd) const {
        struct stat st {};
        if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_dev != device_)) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    bool descend() {
        while (!levels_.empty()) {
            Level& level = levels_.back();
            if (level.next >= level.subfolders.size()) {
                if (levels_.size() == 1) return true;
                if (!reopenParent()) return true;  // the rest of the tree is out of reach
                popLevel();
                continue;
            }
            const char* name = level.subfolders.c_str() + level.next;
            const std::size_t length = std::strlen(name);
            level.next += length + 1;
            if (level.fd < 0) return true;
            const int fd = openSubfolder(level.fd, name);
            if (fd < 0) continue;  // gone, unreadable, now a link, or another filesystem
            path_.append(name, length);
            path_ += '/';
            makeRoom();
            levels_.push_back({fd, 0, 0, path_.size(), {}, 0});
            ++open_;
            if (!readLevel(levels_.back())) return false;
        }
        return true;
    }

    TreeVisitor& visitor_;
    std::vector<char>& buffer_;
    int maxOpen_;
    int open_ = 0;
    bool shortMeansEnd_ = false;
    bool subvolumes_ = false;
    std::optional<FolderId> skipped_;  // on this walk's device
    bool useOpenat2_ = true;
    dev_t device_ = 0;
    std::string path_;
    std::vector<Level> levels_;
    WalkProgress progress_;
};

int defaultMaxOpen() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 16;
    const auto quarter = static_cast<long long>(limit.rlim_cur / 4);
    return static_cast<int>(std::clamp<long long>(quarter, 4, 64));
}

}  // namespace

PosixFileTree::PosixFileTree(int maxOpen) : maxOpen_(maxOpen) {}

WalkEnd PosixFileTree::walk(const std::string& root, TreeVisitor& visitor) {
    // A buffer of each walk's own: a window that lets its events run from the visitor may start
    // another walk before this one ends.
    std::vector<char> buffer(64 * 1024);
    Walk walk(visitor, buffer, maxOpen_ > 0 ? maxOpen_ : defaultMaxOpen());
    return walk.run(root);
}

std::optional<FolderId> PosixFileTree::folderId(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return FolderId{st.st_dev, st.st_ino};
}

std::optional<FileFacts> PosixFileTree::regularFile(const std::string& root,
                                                    const std::string& relative) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::size_t start = 0;
    for (auto slash = relative.find('/'); fd >= 0 && slash != std::string::npos;
         slash = relative.find('/', start)) {
        const std::string part = relative.substr(start, slash - start);
        const int next = part == ".." ? -1 : ::openat(fd, part.c_str(), kOpenDir);
        ::close(fd);
        fd = next;
        start = slash + 1;
    }
    if (fd < 0) return std::nullopt;
    struct stat st {};
    const bool regular = ::fstatat(fd, relative.c_str() + start, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                         S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular) return std::nullopt;
    return factsOf(st);
}

}  // namespace ostrevin::platform
