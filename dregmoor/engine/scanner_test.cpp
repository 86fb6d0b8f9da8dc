#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/test_folder.h"
#include "dregmoor/engine/scanner.h"
#include "platform/fake/scanner_fakes.h"
#include "platform/posix/posix_file_tree.h"

namespace ostrevin::dregmoor {
namespace {

namespace fs = std::filesystem;

void makeFile(const std::string& path, std::size_t bytes = 10) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << std::string(bytes, 'x');
}

// Makes the next folder of a chain, named so that the filesystem lists it before the folder
// "side" beside it: the walk then reaches "side" only after coming back up the chain.
std::string chainListedBefore(int fd, const std::string& side) {
    for (int i = 0; i < 200; ++i) {
        const std::string name = "d" + std::to_string(i);
        if (::mkdirat(fd, name.c_str(), 0700) != 0) return "";
        DIR* dir = ::fdopendir(::dup(fd));
        bool seen = false, before = false;
        while (dirent* e = ::readdir(dir)) {
            if (name == e->d_name) seen = true;
            if (side == e->d_name) before = seen;
        }
        ::closedir(dir);
        if (before) return name;
        ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
    return "";
}

class ScannerTest : public ::testing::Test {
  protected:
    ScannerTest() {
        settings.tempFolder = settings.cacheFolder = settings.cookieFolder = false;
        folders.user = static_cast<std::uint32_t>(::getuid());
        folders.nowSeconds = std::time(nullptr);
    }
    std::string root() const { return top.path() + "/drive/"; }
    std::vector<DriveRow> oneDrive() const { return {{'a', "a: test", root()}}; }
    ScanReport scan(bool timed = false, const ScanCallback& callback = {}) {
        Scanner scanner(tree, drives, folders);
        return scanner.ScanDrives(timed, settings, rows.empty() ? oneDrive() : rows, callback);
    }
    std::vector<std::string> paths(const ScanReport& report) const {
        std::vector<std::string> out;
        for (const auto& row : report.rows) out.push_back(row.fullPath().substr(top.path().size()));
        return out;
    }

    TestFolder top;
    platform::PosixFileTree tree;
    platform::FakeDriveSource drives;
    SpecialFolders folders;
    ScannerSettings settings;
    std::vector<DriveRow> rows;
};

TEST_F(ScannerTest, RowsComePatternByPatternEachFileOnceAndNoLinkIsFollowed) {
    TestFolder outside;
    makeFile(outside.path() + "/secret.tmp");
    makeFile(root() + "b.tmp", 1536);
    makeFile(root() + "a.bak", 2560);
    makeFile(root() + ".dot.tmp");  // hidden files are found
    makeFile(root() + "sub/c.TMP");
    makeFile(root() + "sub/deeper/d.bak");
    makeFile(root() + ".hidden/e.tmp");  // hidden folders are not entered
    fs::create_directory_symlink(outside.path(), root() + "link");
    fs::create_symlink(outside.path() + "/secret.tmp", root() + "linked.tmp");
    ASSERT_EQ(::mkfifo((root() + "pipe.tmp").c_str(), 0600), 0);
    settings.drives = {true};
    settings.patterns = {{"*.tmp", true}, {"*.bak", false}, {"*.bak", true}, {"b.*", true}};
    const auto report = scan();
    const std::vector<std::string> got = paths(report);
    ASSERT_EQ(got.size(), 5u) << ::testing::PrintToString(got);
    // The three "*.tmp" rows first (the folder's own before its subfolder's), then "*.bak".
    EXPECT_EQ(std::set<std::string>(got.begin(), got.begin() + 2),
              (std::set<std::string>{"/drive/b.tmp", "/drive/.dot.tmp"}));
    EXPECT_EQ(got[2], "/drive/sub/c.TMP");
    EXPECT_EQ(got[3], "/drive/a.bak");
    EXPECT_EQ(got[4], "/drive/sub/deeper/d.bak");
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(report.rows[i].pattern, 0);
    EXPECT_EQ(report.rows[3].pattern, 2);
    const auto& b = report.rows[got[0] == "/drive/b.tmp" ? 0 : 1];
    EXPECT_EQ(b.folder, root());
    EXPECT_EQ(b.name, "b.tmp");
    EXPECT_EQ(b.sizeText(), "2k");
    EXPECT_EQ(b.fileRef().root, root());
    EXPECT_EQ(report.rows[4].fileRef().relative, "sub/deeper/d.bak");
    EXPECT_EQ(report.status(), "Total Files: 4k");
}

TEST_F(ScannerTest, TheMoveFolderIsNeverScanned) {
    // What lies there was cleaned already; listing it again would move it onto itself.
    settings.patterns = {{"*.tmp", true}};
    settings.drives = {true};
    makeFile(root() + "keep/x.tmp");
    makeFile(root() + "data/Cleaned/x.tmp");
    makeFile(root() + "data/Cleaned/sub/y.tmp");
    for (const std::string& folder :
         {root() + "data/Cleaned", root() + "data/../data/Cleaned/", top.path() + "/link"}) {
        fs::remove(top.path() + "/link");
        fs::create_directory_symlink(root() + "data/Cleaned", top.path() + "/link");
        settings.moveFolder = folder;
        EXPECT_EQ(paths(scan()), (std::vector<std::string>{"/drive/keep/x.tmp"})) << folder;
    }
    rows = {{'a', "a: moved", root() + "data/Cleaned/"}};
    EXPECT_TRUE(scan().rows.empty());
}

TEST_F(ScannerTest, ARowWhoseMountPointShowsAnotherFilesystemNowIsNotScanned) {
    // The rows were made when the window opened; since then a stick was unplugged and another
    // one mounted on the same point.
    settings.patterns = {{"*.tmp", true}};
    settings.drives = {true};
    makeFile(root() + "x.tmp");
    const std::string point = root().substr(0, root().size() - 1);
    drives.drives = {{"/dev/sdb1", point, "vfat", "", "/", "1234-ABCD"}};
    const auto then = driveRows(drives);
    rows = then;
    EXPECT_EQ(paths(scan()), (std::vector<std::string>{"/drive/x.tmp"}));
    drives.drives[0].uuid = "5678-EF01";
    EXPECT_TRUE(scan().rows.empty());
    drives.drives.clear();  // unmounted: the folder left behind is not the drive either
    EXPECT_TRUE(scan().rows.empty());
}

TEST_F(ScannerTest, NothingTickedEndsAtOnceWithAZeroTotal) {
    makeFile(root() + "x.tmp");
    settings.drives = {false};
    settings.patterns = {{"*.tmp", true}};
    const auto report = scan();
    EXPECT_TRUE(report.rows.empty());
    EXPECT_EQ(report.status(), "Total Files: 0k");
}

TEST_F(ScannerTest, TimedScansTakeOnlyDrivesShortOfSpace) {
    for (const char* d : {"a", "b", "c", "d"}) makeFile(top.path() + "/" + d + "/x.tmp");
    for (const char* d : {"a", "b", "c", "d"})
        rows.push_back({d[0], d, top.path() + "/" + d + "/"});
    drives.free[top.path() + "/a/"] = 100LL * 1024 * 1024;         // exactly the threshold
    drives.free[top.path() + "/b/"] = 100LL * 1024 * 1024 + 1024;  // one kilobyte more
    drives.free[top.path() + "/c/"] = 100LL * 1024 * 1024 + 1023;  // less than a kilobyte more
    // d fails its query, which counts as nothing free.
    settings.drives = {true, true, true, true};
    settings.patterns = {{"*.tmp", true}};
    settings.checkSpace = true;
    settings.spaceToCheck = " 100 ";
    struct Case {
        bool timed;
        std::vector<std::string> paths;
    } cases[] = {
        {true, {"/a/x.tmp", "/c/x.tmp", "/d/x.tmp"}},
        {false, {"/a/x.tmp", "/b/x.tmp", "/c/x.tmp", "/d/x.tmp"}},
    };
    for (const auto& c : cases) EXPECT_EQ(paths(scan(c.timed)), c.paths) << c.timed;
    settings.spaceToCheck = "lots";
    EXPECT_THROW(scan(true), SettingsError);
    EXPECT_NO_THROW(scan(false));  // only timed scans read the threshold
}

TEST_F(ScannerTest, SpecialFoldersFollowTheDrivesTempOnlyOwnedAndUntouchedForADay) {
    const std::string temp = top.path() + "/tmp/", cache = top.path() + "/cache/";
    makeFile(root() + "x.tmp");
    makeFile(temp + "old.txt");
    makeFile(temp + "sub/old2.dat");
    makeFile(temp + "fresh.txt");
    makeFile(temp + "others.txt");
    makeFile(cache + "thumb.png");
    makeFile(top.path() + "/home/.mozilla/firefox/p1.default/cookies.sqlite", 3000);
    makeFile(top.path() + "/home/.mozilla/firefox/p1.default/cookies.sqlite-wal");
    makeFile(top.path() + "/home/.config/chromium/Default/Network/Cookies");
    makeFile(top.path() + "/home/.config/chromium/Default/History");
    ASSERT_EQ(::mkfifo((temp + "old.fifo").c_str(), 0600), 0);
    const std::time_t now = std::time(nullptr);
    // Times are set on the files; the change time cannot be, so "now" is moved two days on and
    // a file counts as fresh by a modification time in the future.
    folders.nowSeconds = now + 2 * 86400;
    const struct timespec fresh[2] = {{now, 0}, {now + 3 * 86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (temp + "fresh.txt").c_str(), fresh, 0), 0);
    const bool root_user = ::geteuid() == 0;
    if (root_user) {
        ASSERT_EQ(::chown((temp + "others.txt").c_str(), 12345, 12345), 0);
    }
    folders.temp = temp;
    folders.cache = cache;
    folders.cookies = findCookieStores(top.path() + "/home/");
    settings.drives = {true};
    settings.patterns = {{"*.tmp", true}};
    settings.tempFolder = settings.cacheFolder = settings.cookieFolder = true;
    const auto report = scan();
    std::vector<std::string> got = paths(report);
    ASSERT_GE(got.size(), 7u) << ::testing::PrintToString(got);
    EXPECT_EQ(got[0], "/drive/x.tmp");
    std::set<std::string> temps, expected = {"/tmp/old.txt", "/tmp/sub/old2.dat"};
    if (!root_user) expected.insert("/tmp/others.txt");  // someone else's only as the superuser
    std::size_t t = 1;
    while (t < report.rows.size() && report.rows[t].pattern == kTempFolder) temps.insert(got[t++]);
    EXPECT_EQ(temps, expected);
    EXPECT_EQ(got[t], "/cache/thumb.png");
    EXPECT_EQ(std::vector<std::string>(got.begin() + t + 1, got.end()),
              (std::vector<std::string>{"/home/.mozilla/firefox/p1.default/cookies.sqlite",
                                        "/home/.mozilla/firefox/p1.default/cookies.sqlite-wal",
                                        "/home/.config/chromium/Default/Network/Cookies"}));
    EXPECT_EQ(report.rows[1].pattern, kTempFolder);
    EXPECT_EQ(report.rows[t].pattern, kCacheFolder);
    EXPECT_EQ(report.rows.back().pattern, kCookieFolder);
    EXPECT_EQ(report.rows.back().name, "Cookies");
    EXPECT_EQ(report.rows.back().fileRef().relative, "Network/Cookies");
}

TEST_F(ScannerTest, AFolderDeeperThanTheOpenFileLimitIsWalkedWhole) {
    // 300 levels, a file every 50 and beside it a folder with a file, which the walk may reach
    // only after coming back up through folders whose descriptors it had to close.
    fs::create_directories(root());
    int fd = ::open(root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 1; level <= 300; ++level) {
        std::string chain = "d";
        if (level % 50 == 0) {
            ::close(::openat(fd, "deep.tmp", O_CREAT | O_WRONLY, 0600));
            ASSERT_EQ(::mkdirat(fd, "side", 0700), 0);
            const int side = ::openat(fd, "side", O_RDONLY | O_DIRECTORY);
            ::close(::openat(side, "side.tmp", O_CREAT | O_WRONLY, 0600));
            ::close(side);
            chain = chainListedBefore(fd, "side");
            ASSERT_FALSE(chain.empty());
        } else {
            ASSERT_EQ(::mkdirat(fd, "d", 0700), 0);
        }
        const int next = ::openat(fd, chain.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(fd);
    settings.drives = {true};
    settings.patterns = {{"*.tmp", true}};
    struct rlimit old {};
    ::getrlimit(RLIMIT_NOFILE, &old);
    struct rlimit low = old;
    low.rlim_cur = 40;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    platform::PosixFileTree limited;  // takes its share of the lowered limit
    Scanner scanner(limited, drives, folders);
    const auto report = scanner.ScanDrives(false, settings, oneDrive(), {});
    ::setrlimit(RLIMIT_NOFILE, &old);
    std::size_t deep = 0, side = 0;
    for (const auto& row : report.rows) (row.name == "deep.tmp" ? deep : side)++;
    EXPECT_EQ(deep, 6u);
    EXPECT_EQ(side, 6u);
}

TEST_F(ScannerTest, TheCallerSeesProgressAndCanCancel) {
    for (int i = 0; i < 5; ++i) makeFile(root() + "f" + std::to_string(i) + "/x.tmp");
    settings.drives = {true};
    settings.patterns = {{"*.tmp", true}};
    std::vector<std::uint64_t> folders;
    std::string status;
    const auto report = scan(false, [&](const ScanProgress& p) {
        folders.push_back(p.folders);
        status = p.status;
        return p.folders < 3;
    });
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(folders, (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_EQ(status, "Scanning: *.tmp");
    EXPECT_EQ(report.rows.size(), 1u);  // the rows found until then stay
}

TEST_F(ScannerTest, WalkDirectoryStopsWhenTheVisitorSaysSo) {
    for (const char* f : {"a.log", "b.log", "sub/c.log", "sub/d.txt"}) makeFile(root() + f);
    std::vector<std::string> seen;
    EXPECT_TRUE(WalkDirectory(
        tree, root(), "",
        [&](const std::string& folder, std::string_view name, const platform::FileFacts&) {
            seen.push_back(folder.substr(root().size()) + std::string(name));
            return true;
        }));
    EXPECT_EQ(seen.size(), 4u);  // an empty pattern is "*.*"
    EXPECT_EQ(seen.back().rfind("sub/", 0), 0u);
    seen.clear();
    EXPECT_FALSE(
        WalkDirectory(tree, root(), "*.LOG",
                      [&](const std::string&, std::string_view name, const platform::FileFacts&) {
                          seen.emplace_back(name);
                          return false;
                      }));
    EXPECT_EQ(seen.size(), 1u);
}

TEST(ScanOrder, EachDriveGivesItsRowsPatternByPatternInWalkOrder) {
    platform::FakeFileTree tree;
    tree.trees["/a/"] = {
        {"/a/", "1.bak"}, {"/a/", "2.tmp"}, {"/a/x/", "3.tmp"}, {"/a/x/", "4.bak"}};
    tree.trees["/b/"] = {{"/b/", "5.bak"}, {"/b/", "6.tmp.bak"}, {"/b/y/", "7.TMP"}};
    platform::FakeDriveSource drives;
    ScannerSettings settings;
    settings.tempFolder = settings.cacheFolder = settings.cookieFolder = false;
    settings.drives = {true, false, true};
    settings.patterns = {{"*.tmp", true}, {"*.old", true}, {"*.bak", true}, {"6.*", true}};
    const std::vector<DriveRow> rows = {{'a', "a:", "/a/"}, {'b', "b:", "/c/"}, {'c', "c:", "/b/"}};
    const auto report = Scanner(tree, drives, {}).ScanDrives(false, settings, rows, {});
    std::vector<std::string> got;
    for (const auto& row : report.rows)
        got.push_back(row.fullPath() + "@" + std::to_string(row.pattern));
    EXPECT_EQ(got,
              (std::vector<std::string>{"/a/2.tmp@0", "/a/x/3.tmp@0", "/a/1.bak@2", "/a/x/4.bak@2",
                                        "/b/y/7.TMP@0", "/b/5.bak@2", "/b/6.tmp.bak@2"}));
    EXPECT_EQ(tree.walked, (std::vector<std::string>{"/a/", "/b/"}));  // one walk a drive
}

TEST_F(ScannerTest, AScanStartedFromTheEventsOfAnotherFindsAllItsFilesToo) {
    // Progress comes every few dozen names, in the middle of reading a folder.
    for (int i = 0; i < 300; ++i) makeFile(root() + "x" + std::to_string(i) + ".tmp");
    makeFile(root() + "sub/y.tmp");
    for (int i = 0; i < 50; ++i)
        makeFile(top.path() + "/other/a-much-longer-name-" + std::to_string(i) + ".tmp");
    settings.drives = {true};
    settings.patterns = {{"*.tmp", true}};
    std::size_t inner = 0;
    bool nested = false;
    const auto outer = scan(false, [&](const ScanProgress& p) {
        if (!nested && p.files > 0) {
            nested = true;
            Scanner other(tree, drives, folders);
            inner = other.ScanDrives(false, settings, {{'b', "b:", top.path() + "/other/"}}, {})
                        .rows.size();
        }
        return true;
    });
    EXPECT_TRUE(nested);
    EXPECT_EQ(inner, 50u);
    EXPECT_EQ(outer.rows.size(), 301u);
}

}  // namespace
}  // namespace ostrevin::dregmoor
