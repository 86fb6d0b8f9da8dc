#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "common/test_folder.h"
#include "dregmoor/engine/cleaning.h"
#include "dregmoor/engine/scanner.h"
#include "dregmoor/engine/special_folders.h"
#include "platform/fake/scanner_fakes.h"
#include "platform/posix/posix_file_disposal.h"
#include "platform/posix/posix_file_tree.h"

namespace ostrevin::dregmoor {
namespace {

namespace fs = std::filesystem;

// Every file in Temp and Cache is listed: a folder named by the environment that is not one of
// its kind would offer the user's own files for cleaning.
TEST(SpecialFolders, OnlyARealFolderOfItsKindIsTaken) {
    TestFolder top;
    const std::string home = top.path() + "/home";
    fs::create_directories(home + "/tmp");
    fs::create_directories(home + "/.cache");
    fs::create_directories(top.path() + "/other");
    std::ofstream(home + "/file") << "x";
    fs::create_directory_symlink(home, top.path() + "/link");
    ScopedEnv homeEnv("HOME", home);
    struct Case {
        const char* variable;
        std::string value;
        std::string folder;   // taken, or "" when skipped
        const char* problem;  // the end of the skipped text
    } cases[] = {
        {"TMPDIR", home, "", " is the home folder"},
        {"TMPDIR", top.path() + "/link", "", " is the home folder"},  // links resolved
        {"TMPDIR", "/", "", " is the root folder"},
        {"TMPDIR", top.path(), "", " holds the home folder"},
        {"TMPDIR", home + "/file", "", " is not a folder"},
        {"TMPDIR", home + "/missing", "", " is not a folder"},
        {"TMPDIR", home + "/tmp", home + "/tmp/", ""},
        {"XDG_CACHE_HOME", home, "", " is the home folder"},
        {"XDG_CACHE_HOME", home + "/", "", " is the home folder"},
        {"XDG_CACHE_HOME", home + "/.cache", home + "/.cache/", ""},
    };
    for (const auto& c : cases) {
        // Each case names one variable; the other names a usable folder.
        ScopedEnv temp("TMPDIR", top.path() + "/other"), cache("XDG_CACHE_HOME", home + "/.cache");
        ScopedEnv named(c.variable, c.value);
        const SpecialFolders f = SpecialFolders::forCurrentUser();
        const bool isTemp = std::string(c.variable) == "TMPDIR";
        EXPECT_EQ(isTemp ? f.temp : f.cache, c.folder) << c.variable << "=" << c.value;
        const std::string& skipped = isTemp ? f.tempSkipped : f.cacheSkipped;
        if (*c.problem)
            EXPECT_EQ(skipped, std::string(isTemp ? "Temp" : "Cache") + " skipped: " + c.variable +
                                   "=" + c.value + c.problem);
        else
            EXPECT_EQ(skipped, "");
        EXPECT_EQ(isTemp ? f.cacheSkipped : f.tempSkipped, "");
    }
    // Someone else's folder only when it is sticky, as /tmp is.
    const auto other = static_cast<std::uint32_t>(::getuid()) + 1;
    std::string folder = home + "/tmp";
    EXPECT_EQ(specialFolderProblem(folder, home, other).value_or(""), "belongs to another user");
    ::chmod(folder.c_str(), 01777);
    EXPECT_FALSE(specialFolderProblem(folder, home, other));
}

TEST(SpecialFolders, ATickedFolderThatWasSkippedIsNamedInTheReport) {
    platform::PosixFileTree tree;
    platform::FakeDriveSource drives;
    SpecialFolders folders;
    folders.tempSkipped = "Temp skipped: TMPDIR=/home/u is the home folder";
    folders.cacheSkipped = "Cache skipped: XDG_CACHE_HOME=/ is the root folder";
    ScannerSettings settings;
    settings.tempFolder = true;
    settings.cacheFolder = settings.cookieFolder = false;
    Scanner scanner(tree, drives, folders);
    const ScanReport report = scanner.ScanDrives(false, settings, {}, {});
    EXPECT_EQ(report.skipped, std::vector<std::string>{folders.tempSkipped});
}

// A program may take a Temp file up again between the scan and the cleaning.
TEST(SpecialFolders, TempFilesAreCheckedForAgeAgainJustBeforeCleaning) {
    TestFolder top;
    const std::string temp = top.path() + "/";
    platform::PosixFileTree tree;
    platform::PosixFileDisposal disposal;
    Cleaner cleaner(disposal);
    const std::time_t now = std::time(nullptr);
    // The change time cannot be set back: "now" lies two days on, and a file counts as used
    // again by a modification time beyond it.
    cleaner.setLastLook(tempAgeCheck(tree, static_cast<std::uint32_t>(::getuid()),
                                     [now] { return std::int64_t{now} + 2 * 86400; }));
    struct Case {
        const char* name;
        int source;
        bool usedAgain;
        bool cleaned;
    } cases[] = {
        {"old.txt", kTempFolder, false, true},
        {"busy.txt", kTempFolder, true, false},
        {"busy.tmp", 0, true, true},  // a pattern's row has no age rule
        {"busy.png", kCacheFolder, true, true},
    };
    std::vector<ResultRow> rows;
    for (const auto& c : cases) {
        std::ofstream(temp + c.name) << "x";
        struct stat st {};
        ::stat((temp + c.name).c_str(), &st);
        ResultRow row;
        row.folder = temp;
        row.name = c.name;
        row.pattern = c.source;
        row.rootLength = temp.size();
        row.device = st.st_dev;
        row.inode = st.st_ino;
        rows.push_back(row);
        if (c.usedAgain) {
            const struct timespec times[2] = {{now, 0}, {now + 3 * 86400, 0}};
            ::utimensat(AT_FDCWD, (temp + c.name).c_str(), times, 0);
        }
    }
    const CleanReport report = cleaner.cleanAll(rows, CleanMode::Delete, "");
    for (const auto& c : cases) EXPECT_EQ(!fs::exists(temp + c.name), c.cleaned) << c.name;
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].error, "Used again since the scan; kept");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "busy.txt");
}

}  // namespace
}  // namespace ostrevin::dregmoor
