#include "common/ini_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/paths.h"
#include "common/text.h"

namespace ostrevin {

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool readAll(int fd, std::string& out) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// A configuration file kept as a symbolic link (dotfile managers do this) is written through the
// link, so that the link survives the rename.
std::string realTarget(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf)) return buf;
    return path;
}

}  // namespace

IniWriteError::IniWriteError(const std::string& fileName)
    : std::runtime_error("Unable to write to " + fileName) {}

IniStore::IniStore(const std::string& fileName) : path_(resolveConfigFile(fileName)) {}

IniDocument IniStore::load() const {
    Fd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    if (fd.get() < 0 || !readAll(fd.get(), text)) return IniDocument{};
    return IniDocument::parse(text);
}

std::string IniStore::readString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
    auto value = load().value(section, key);
    return value ? *value : std::string(fallback);
}

int IniStore::readInteger(std::string_view section, std::string_view key, int fallback) const {
    auto value = load().value(section, key);
    if (!value) return fallback;
    return parseInteger(*value).value_or(fallback);
}

bool IniStore::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

bool IniStore::sectionExists(std::string_view section) const {
    return load().hasSection(section);
}

std::vector<std::pair<std::string, std::string>> IniStore::readSectionRaw(
    std::string_view section) const {
    return load().rawEntries(section);
}

void IniStore::writeString(std::string_view section, std::string_view key, std::string_view value) {
    update([&](IniDocument& doc) { doc.set(section, key, value); });
}

void IniStore::writeInteger(std::string_view section, std::string_view key, long long value) {
    writeString(section, key, toDecimal(value));
}

void IniStore::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniStore::eraseSection(std::string_view section) {
    update([&](IniDocument& doc) { doc.removeSection(section); });
}

void IniStore::deleteKey(std::string_view section, std::string_view key) {
    update([&](IniDocument& doc) { doc.removeKey(section, key); });
}

void IniStore::update(const std::function<void(IniDocument&)>& edit) {
    if (!makeFolders(folderOf(path_))) throw IniWriteError(path_);
    Fd lock(::open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0) throw IniWriteError(path_);
    while (::flock(lock.get(), LOCK_EX) != 0)
        if (errno != EINTR) throw IniWriteError(path_);

    const std::string target = realTarget(path_);
    mode_t mode = 0600;
    std::string text;
    {
        Fd current(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
        if (current.get() >= 0) {
            struct stat st {};
            if (::fstat(current.get(), &st) == 0) mode = st.st_mode & 07777;
            if (!readAll(current.get(), text)) throw IniWriteError(path_);
        } else if (errno != ENOENT) {
            throw IniWriteError(path_);
        }
    }
    IniDocument doc = IniDocument::parse(text);
    edit(doc);
    const std::string updated = doc.text();

    // One fixed temporary name, used only under the lock: a writer killed half way leaves at most
    // this one file, which the next writer truncates.
    const std::string temp = target + ".tmp";
    Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode));
    bool ok = out.get() >= 0 && ::fchmod(out.get(), mode) == 0 && writeAll(out.get(), updated) &&
              ::fsync(out.get()) == 0;
    ok = ok && ::close(out.release()) == 0 && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        throw IniWriteError(path_);
    }
    Fd dir(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace ostrevin
