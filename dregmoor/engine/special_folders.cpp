#include "dregmoor/engine/special_folders.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace ostrevin::dregmoor {

namespace {

std::string withSlash(std::string folder) {
    if (!folder.ends_with('/')) folder += '/';
    return folder;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? value : "";
}

bool isFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec));
}

// The profiles below a browser folder, in name order so that rows come in a stable order.
std::vector<std::filesystem::path> profiles(const std::filesystem::path& browser) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(browser, ec))
        if (entry.is_directory(ec) && !entry.is_symlink(ec)) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

// A cookie database and the journals that belong to it: a journal left without its database
// could be replayed into the next one.
void addStore(std::vector<CookieStore>& stores, const std::filesystem::path& profile,
              const std::string& name) {
    if (!isFile(profile / name)) return;
    const std::string folder = withSlash(profile.string());
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        if (isFile(profile / (name + suffix))) stores.push_back({folder, name + suffix});
}

}  // namespace

std::vector<CookieStore> findCookieStores(const std::string& home) {
    std::vector<CookieStore> stores;
    const std::filesystem::path base(home);
    for (const char* firefox : {".mozilla/firefox", "snap/firefox/common/.mozilla/firefox"})
        for (const auto& profile : profiles(base / firefox))
            addStore(stores, profile, "cookies.sqlite");
    for (const char* chromium :
         {".config/chromium", ".config/google-chrome", ".config/google-chrome-beta",
          ".config/BraveSoftware/Brave-Browser", ".config/microsoft-edge", ".config/vivaldi",
          ".config/opera"})
        for (const auto& profile : profiles(base / chromium)) {
            addStore(stores, profile, "Cookies");
            addStore(stores, profile, "Network/Cookies");
        }
    return stores;
}

std::optional<std::string> specialFolderProblem(std::string& folder, const std::string& home,
                                                std::uint32_t user) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(folder, ec);
    struct stat st {};
    if (ec || ::stat(real.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "is not a folder";
    const std::string path = withSlash(real.string());
    if (path == "/") return "is the root folder";
    if (!home.empty()) {
        const std::filesystem::path realHome = std::filesystem::canonical(home, ec);
        const std::string homePath = withSlash(ec ? home : realHome.string());
        if (path == homePath) return "is the home folder";
        if (homePath.starts_with(path)) return "holds the home folder";
    }
    if (st.st_uid != user && !(st.st_mode & S_ISVTX)) return "belongs to another user";
    folder = path;
    return std::nullopt;
}

bool oldEnoughTemp(const platform::FileFacts& facts, std::uint32_t user, std::int64_t nowSeconds) {
    constexpr std::int64_t kOneDay = 86'400;
    return facts.owner == user && facts.modified <= nowSeconds - kOneDay &&
           facts.changed <= nowSeconds - kOneDay;
}

std::function<std::string(const ResultRow&)> tempAgeCheck(
    platform::FileTree& tree, std::uint32_t user, std::function<std::int64_t()> nowSeconds) {
    return [&tree, user, now = std::move(nowSeconds)](const ResultRow& row) -> std::string {
        if (row.pattern != kTempFolder) return "";
        const std::string root = row.folder.substr(0, row.rootLength);
        const auto facts = tree.regularFile(root, row.folder.substr(row.rootLength) + row.name);
        // A file gone or replaced is the cleaning's own matter: it checks the identity.
        if (!facts || facts->device != row.device || facts->inode != row.inode) return "";
        return oldEnoughTemp(*facts, user, now()) ? "" : "Used again since the scan; kept";
    };
}

SpecialFolders SpecialFolders::forCurrentUser() {
    SpecialFolders folders;
    folders.user = static_cast<std::uint32_t>(::getuid());
    const std::string home = environment("HOME");
    // A folder the environment names and that is not of its kind is skipped with a reason. The
    // defaults are of their kind by definition (a home kept below /tmp leaves /tmp usable), and
    // a missing one just yields no rows.
    const auto take = [&](const char* variable, const std::string& fallback, const char* what,
                          std::string& skipped) {
        std::string folder = environment(variable);
        if (folder.empty()) return fallback.empty() ? fallback : withSlash(fallback);
        if (const auto problem = specialFolderProblem(folder, home, folders.user)) {
            skipped = std::string(what) + " skipped: " + variable + "=" + folder + " " + *problem;
            return std::string();
        }
        return folder;
    };
    folders.temp = take("TMPDIR", "/tmp", "Temp", folders.tempSkipped);
    folders.cache =
        take("XDG_CACHE_HOME", home.empty() ? "" : home + "/.cache", "Cache", folders.cacheSkipped);
    if (!home.empty()) folders.cookies = findCookieStores(withSlash(home));
    folders.nowSeconds = static_cast<std::int64_t>(std::time(nullptr));
    return folders;
}

}  // namespace ostrevin::dregmoor
