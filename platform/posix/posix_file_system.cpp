#include "platform/posix/posix_file_system.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace ostrevin::platform {

std::optional<std::string> PosixFileSystem::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return text;
}

bool PosixFileSystem::writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    return !out.fail();
}

bool PosixFileSystem::removeFile(const std::string& path) {
    // unlink removes a symbolic link itself, never its target.
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace ostrevin::platform
