#include "platform/posix/posix_launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "common/shell_words.h"

extern char** environ;

namespace ostrevin::platform {

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

PosixLauncher::~PosixLauncher() {
    reapChildren();
}

std::string PosixLauncher::findExecutable(const std::string& file, const std::string& folder) {
    if (file.empty()) return {};
    if (file.find("://") != std::string::npos || file.rfind("mailto:", 0) == 0) return {};
    if (file.find('/') != std::string::npos) {
        const std::string path = file[0] == '/' || folder.empty() ? file : folder + "/" + file;
        return isExecutableFile(path) ? path : std::string();
    }
    const char* pathVar = std::getenv("PATH");
    std::string dirs = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && isExecutableFile(dir + "/" + file)) return dir + "/" + file;
        start = end + 1;
    }
    return {};
}

bool PosixLauncher::open(const std::string& file, const std::string& parameters,
                         const std::string& folder) {
    reapChildren();
    if (file.empty()) return false;
    const std::string executable = findExecutable(file, folder);
    if (executable.empty()) return spawn({"xdg-open", file}, folder);
    std::vector<std::string> argv{executable};
    // A parameter text with an open quote is taken word by word at the blanks.
    auto words = splitShellWords(parameters);
    if (!words) {
        words.emplace();
        std::size_t pos = 0;
        while ((pos = parameters.find_first_not_of(' ', pos)) != std::string::npos) {
            const std::size_t end = std::min(parameters.find(' ', pos), parameters.size());
            words->push_back(parameters.substr(pos, end - pos));
            pos = end;
        }
    }
    argv.insert(argv.end(), words->begin(), words->end());
    return spawn(argv, folder);
}

bool PosixLauncher::editText(const std::string& path) {
    return spawn({"xdg-open", path}, {});
}

bool PosixLauncher::spawn(const std::vector<std::string>& argv, const std::string& folder) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (isFolder(folder)) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    // Its own session: the started program outlives us and our terminal.
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    children_.push_back(pid);
    return true;
}

void PosixLauncher::reapChildren() {
    for (auto it = children_.begin(); it != children_.end();) {
        int status = 0;
        if (::waitpid(*it, &status, WNOHANG) != 0)
            it = children_.erase(it);
        else
            ++it;
    }
}

}  // namespace ostrevin::platform
