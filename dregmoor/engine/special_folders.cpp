#include "dregmoor/engine/special_folders.h"

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

SpecialFolders SpecialFolders::forCurrentUser() {
    SpecialFolders folders;
    std::string temp = environment("TMPDIR");
    folders.temp = withSlash(temp.empty() ? "/tmp" : temp);
    const std::string home = environment("HOME");
    std::string cache = environment("XDG_CACHE_HOME");
    if (cache.empty() && !home.empty()) cache = home + "/.cache";
    folders.cache = cache.empty() ? "" : withSlash(cache);
    if (!home.empty()) folders.cookies = findCookieStores(withSlash(home));
    folders.user = static_cast<std::uint32_t>(::getuid());
    folders.nowSeconds = static_cast<std::int64_t>(std::time(nullptr));
    return folders;
}

}  // namespace ostrevin::dregmoor
