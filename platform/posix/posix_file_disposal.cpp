#include "platform/posix/posix_file_disposal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <unordered_map>

namespace ostrevin::platform {

namespace {

constexpr int kOpenDir = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::string errorText(int error) {
    return std::strerror(error);
}

void release(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// A folder held open may have been deleted since (the user emptied the trash by removing it, or
// removed the move folder): nothing can be created in it any more, so it must be opened afresh.
bool removedSince(int folderFd) {
    struct stat st {};
    return folderFd >= 0 && ::fstat(folderFd, &st) == 0 && st.st_nlink == 0;
}

// renameat2 with RENAME_NOREPLACE; where a filesystem lacks it, a check before a plain rename.
int renameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    struct stat st {};
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(fromDir, from, toDir, to);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The local time to the second; formatted once a second, since a batch trashes many files in one.
const std::string& deletionDate() {
    static std::time_t last = -1;
    static std::string text;
    const std::time_t t = std::time(nullptr);
    if (t != last) {
        std::tm tm{};
        ::localtime_r(&t, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
        text = buf;
        last = t;
    }
    return text;
}

// A folder that must be ours and no link: made when missing, then opened.
int ownFolder(int at, const char* name, std::string& error) {
    if (::mkdirat(at, name, 0700) != 0 && errno != EEXIST) {
        error = errorText(errno);
        return -1;
    }
    const int fd = ::openat(at, name, kOpenDir);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_uid != ::getuid()) {
        error = fd < 0 ? errorText(errno) : "The trash folder belongs to someone else";
        if (fd >= 0) ::close(fd);
        return -1;
    }
    return fd;
}

// mountinfo writes blanks, tabs, newlines and backslashes as "\ooo".
std::string unescapeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// "name (2).ext" for the second try of a move.
std::string movedName(const std::string& name, int attempt) {
    if (attempt == 1) return name;
    auto dot = name.rfind('.');
    if (dot == 0 || dot == std::string::npos) dot = name.size();
    return name.substr(0, dot) + " (" + std::to_string(attempt) + ")" + name.substr(dot);
}

}  // namespace

struct PosixFileDisposal::Trash {
    int files = -1, info = -1;
    std::string topdir;  // empty for the home trash, whose Path values are absolute
    std::string folder;  // the trash itself
    std::unordered_map<std::string, int> nextAttempt;  // keeps many equal names linear
    ~Trash() {
        release(files);
        release(info);
    }
};

PosixFileDisposal::PosixFileDisposal() = default;

PosixFileDisposal::~PosixFileDisposal() {
    endRun();
}

void PosixFileDisposal::endRun() {
    release(parent_.fd);
    release(destination_.fd);
    trashes_.clear();
}

std::string PosixFileDisposal::homeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Trash";
}

std::string PosixFileDisposal::escapePath(const std::string& path) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("-_.~/", c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string PosixFileDisposal::cutName(const std::string& name, std::size_t most) {
    if (name.size() <= most) return name;
    std::size_t cut = most;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

std::string PosixFileDisposal::mountPointOf(const std::string& path, const std::string& mountInfo) {
    std::string best = "/";
    std::istringstream lines(mountInfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string skip, point;
        if (!(fields >> skip >> skip >> skip >> skip >> point)) continue;
        point = unescapeMountField(point);
        const bool holds =
            point == "/" ||
            (path.starts_with(point) && (path.size() == point.size() || path[point.size()] == '/'));
        if (holds && point.size() > best.size()) best = point;
    }
    return best;
}

int PosixFileDisposal::parentOf(const FileRef& file, std::string& name, std::string& error) {
    const std::string_view relative(file.relative);
    const auto slash = relative.rfind('/');
    name.assign(slash == std::string::npos ? relative : relative.substr(slash + 1));
    const std::string_view folder =
        slash == std::string::npos ? std::string_view() : relative.substr(0, slash);
    if (name.empty() || name == "." || name == "..") {
        error = "Not a file name";
        return -1;
    }
    // Compared piece by piece: found files come folder by folder, and building the key for every
    // file would cost more than the check.
    const std::string& held = parent_.key;
    if (parent_.fd >= 0 && held.size() == file.root.size() + 1 + folder.size() &&
        held.compare(0, file.root.size(), file.root) == 0 && held[file.root.size()] == '\0' &&
        std::string_view(held).substr(file.root.size() + 1) == folder)
        return parent_.fd;
    const std::string key = file.root + '\0' + std::string(folder);
    release(parent_.fd);
    int fd = ::open(file.root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::size_t start = 0;
    while (fd >= 0 && start < folder.size()) {
        auto end = folder.find('/', start);
        if (end == std::string::npos) end = folder.size();
        const std::string part(folder.substr(start, end - start));
        const int next = part == ".." ? -1 : ::openat(fd, part.c_str(), kOpenDir);
        if (part == "..") errno = EPERM;
        const int saved = errno;
        ::close(fd);
        errno = saved;
        fd = next;
        start = end + 1;
    }
    if (fd < 0) {
        // ELOOP or ENOTDIR: a folder on the way was replaced by a link.
        error = errno == ELOOP || errno == ENOTDIR ? "A folder on its path was replaced by a link"
                                                   : errorText(errno);
        return -1;
    }
    struct stat st {};
    ::fstat(fd, &st);
    parent_ = {key, fd, st.st_dev, st.st_ino};
    return fd;
}

bool PosixFileDisposal::stillSame(int parent, const std::string& name, const FileRef& file,
                                  struct stat& st, std::string& error) {
    if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        error = errorText(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "It is no longer a regular file";
        return false;
    }
    if ((file.device || file.inode) && (st.st_dev != file.device || st.st_ino != file.inode)) {
        error = "It was replaced by another file after the scan";
        return false;
    }
    return true;
}

Disposal PosixFileDisposal::remove(const FileRef& file) {
    Disposal result;
    std::string name;
    struct stat st {};
    const int parent = parentOf(file, name, result.error);
    if (parent < 0 || !stillSame(parent, name, file, st, result.error)) return result;
    if (::unlinkat(parent, name.c_str(), 0) != 0) {
        result.error = errorText(errno);
        return result;
    }
    result.ok = true;
    return result;
}

PosixFileDisposal::Trash* PosixFileDisposal::trashFor(dev_t device, int parent,
                                                      std::string& error) {
    if (auto it = trashes_.find(device); it != trashes_.end()) return it->second.get();
    auto trash = std::make_unique<Trash>();
    const std::string home = homeTrash();
    struct stat st {};
    std::error_code ec;
    if (std::filesystem::create_directories(home, ec)) ::chmod(home.c_str(), 0700);
    int base = -1;
    if (::stat(home.c_str(), &st) == 0 && st.st_dev == device) {
        base = ::open(home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (base < 0) error = errorText(errno);
        trash->folder = home;
    } else {
        // The top of the mount the file lies on, as freedesktop.org trashes are placed. The folder
        // held open tells where it really is, whatever links the scanned path passes through.
        char real[PATH_MAX];
        const std::string held = "/proc/self/fd/" + std::to_string(parent);
        const ssize_t length = ::readlink(held.c_str(), real, sizeof real - 1);
        std::ifstream in("/proc/self/mountinfo");
        std::stringstream table;
        table << in.rdbuf();
        trash->topdir = mountPointOf(
            length > 0 ? std::string(real, static_cast<std::size_t>(length)) : "/", table.str());
        const int topFd = ::open(trash->topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const std::string uid = std::to_string(::getuid());
        if (topFd >= 0) {
            // "$topdir/.Trash" shared with the sticky bit, else "$topdir/.Trash-$uid".
            struct stat shared {};
            if (::fstatat(topFd, ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
                const int sharedFd = ::openat(topFd, ".Trash", kOpenDir);
                if (sharedFd >= 0) {
                    base = ownFolder(sharedFd, uid.c_str(), error);
                    trash->folder = trash->topdir + "/.Trash/" + uid;
                    ::close(sharedFd);
                }
            }
            if (base < 0) {
                base = ownFolder(topFd, (".Trash-" + uid).c_str(), error);
                trash->folder = trash->topdir + "/.Trash-" + uid;
            }
            ::close(topFd);
        }
        if (base < 0) error = "There is no trash on this filesystem (" + error + ")";
    }
    if (base < 0) return nullptr;
    trash->files = ownFolder(base, "files", error);
    trash->info = ownFolder(base, "info", error);
    ::close(base);
    if (trash->files < 0 || trash->info < 0) return nullptr;
    return (trashes_[device] = std::move(trash)).get();
}

Disposal PosixFileDisposal::trash(const FileRef& file) {
    Disposal result;
    std::string name;
    struct stat st {};
    const int parent = parentOf(file, name, result.error);
    if (parent < 0 || !stillSame(parent, name, file, st, result.error)) return result;
    const std::string full = file.fullPath();
    // The trash's folders are looked at again only when trashing fails: checking them before
    // every file would cost two calls a file, and nothing can be made in a removed folder.
    for (int round = 0;; ++round) {
        Trash* trash = trashFor(st.st_dev, parent, result.error);
        if (!trash) return result;
        trashInto(*trash, parent, name, st, full, result);
        if (result.ok || round > 0 || !(removedSince(trash->files) || removedSince(trash->info)))
            return result;
        trashes_.erase(st.st_dev);
    }
}

void PosixFileDisposal::trashInto(Trash& trash, int parent, const std::string& name,
                                  const struct stat& st, const std::string& full,
                                  Disposal& result) {
    std::string stored = full;
    if (!trash.topdir.empty() && trash.topdir != "/" &&
        full.compare(0, trash.topdir.size() + 1, trash.topdir + "/") == 0)
        stored = full.substr(trash.topdir.size() + 1);
    else if (!trash.topdir.empty() && trash.topdir == "/")
        stored = full.substr(1);
    const std::string info =
        "[Trash Info]\nPath=" + escapePath(stored) + "\nDeletionDate=" + deletionDate() + "\n";
    const std::string base = cutName(name, 200);
    int& attempt = trash.nextAttempt[base];
    for (int tries = 0; tries < 10000; ++tries) {
        const int n = ++attempt;
        const std::string candidate = n == 1 ? base : base + "." + std::to_string(n);
        const std::string infoName = candidate + ".trashinfo";
        const int fd = ::openat(trash.info, infoName.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            result.error = errorText(errno);
            return;
        }
        const bool written = writeAll(fd, info);
        ::close(fd);
        int saved = EIO;
        if (written) {
            // A btrfs subvolume inside the mount is a filesystem of its own for rename.
            saved = renameNoReplace(parent, name.c_str(), trash.files, candidate.c_str()) == 0
                        ? 0
                        : errno;
            if (saved == EXDEV) saved = copyInto(parent, name, st, trash.files, candidate);
        }
        if (saved == 0) {
            result.ok = true;
            result.destination = trash.folder + "/files/" + candidate;
            return;
        }
        ::unlinkat(trash.info, infoName.c_str(), 0);
        if (saved == EEXIST) continue;
        result.error = errorText(saved);
        return;
    }
    result.error = "Too many files of that name in the trash";
}

Disposal PosixFileDisposal::moveTo(const FileRef& file, const std::string& folder) {
    Disposal result;
    std::string name;
    struct stat st {};
    const int parent = parentOf(file, name, result.error);
    if (parent < 0 || !stillSame(parent, name, file, st, result.error)) return result;
    // As with the trash, the held folder is looked at again only when a move into it fails.
    for (int round = 0;; ++round) {
        if (destination_.fd < 0 || destination_.key != folder) {
            release(destination_.fd);
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) {
                result.error = "Cannot use the folder " + folder + ": " + errorText(errno);
                return result;
            }
            struct stat dest {};
            ::fstat(fd, &dest);
            destination_ = {folder, fd, dest.st_dev, dest.st_ino};
        }
        // Moving a file onto itself would only give it a new name and count it as cleaned.
        if (destination_.device == parent_.device && destination_.inode == parent_.inode) {
            result.error = "It is in the move folder already";
            return result;
        }
        result = moveInto(parent, name, st, folder);
        if (result.ok || round > 0 || !removedSince(destination_.fd)) return result;
        release(destination_.fd);
    }
}

Disposal PosixFileDisposal::moveInto(int parent, const std::string& name, const struct stat& st,
                                     const std::string& folder) {
    Disposal result;
    const std::string slash = folder.ends_with('/') ? "" : "/";
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string candidate = movedName(name, attempt);
        if (renameNoReplace(parent, name.c_str(), destination_.fd, candidate.c_str()) == 0) {
            result.ok = true;
            result.destination = folder + slash + candidate;
            return result;
        }
        if (errno == EEXIST) continue;
        if (errno == EXDEV) return copyAcross(parent, name, st, destination_.fd, folder + slash);
        result.error = errorText(errno);
        return result;
    }
    result.error = "Too many files of that name in " + folder;
    return result;
}

Disposal PosixFileDisposal::copyAcross(int parent, const std::string& name, const struct stat& st,
                                       int dest, const std::string& folder) {
    Disposal result;
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string candidate = movedName(name, attempt);
        const int error = copyInto(parent, name, st, dest, candidate);
        if (error == EEXIST) continue;
        if (error == 0) {
            result.ok = true;
            result.destination = folder + candidate;
        } else {
            result.error = error == ESTALE ? "It was replaced by another file" : errorText(error);
        }
        return result;
    }
    result.error = "Too many files of that name in " + folder;
    return result;
}

int PosixFileDisposal::copyInto(int parent, const std::string& name, const struct stat& st,
                                int dest, const std::string& candidate) {
    const int in = ::openat(parent, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened {};
    if (in < 0 || ::fstat(in, &opened) != 0 || opened.st_ino != st.st_ino) {
        const int error = in < 0 ? errno : ESTALE;
        if (in >= 0) ::close(in);
        return error;
    }
    const int out =
        ::openat(dest, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0) break;
        if (n < 0) {
            // Filesystems without copy_file_range get a plain copy.
            char buf[65536];
            ssize_t got;
            while ((got = ::read(in, buf, sizeof buf)) > 0)
                if (!writeAll(out, std::string(buf, static_cast<std::size_t>(got)))) break;
            if (got != 0) error = errno ? errno : EIO;
            break;
        }
    }
    if (!error) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::fchmod(out, st.st_mode & 07777);
        ::futimens(out, times);
        if (::fsync(out) != 0) error = errno;
    }
    if (::close(out) != 0 && !error) error = errno;
    ::close(in);
    if (!error && ::unlinkat(parent, name.c_str(), 0) != 0) error = errno;
    if (error) ::unlinkat(dest, candidate.c_str(), 0);
    return error;
}

}  // namespace ostrevin::platform
