#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "common/test_folder.h"
#include "dregmoor/engine/cleaning.h"
#include "dregmoor/engine/scanner.h"
#include "platform/fake/scanner_fakes.h"
#include "platform/posix/posix_file_disposal.h"
#include "platform/posix/posix_file_tree.h"

namespace ostrevin::dregmoor {
namespace {

namespace fs = std::filesystem;

void makeFile(const std::string& path, const std::string& text = "junk") {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Real files in a private folder, scanned by the real walk, so that rows carry what a scan gives.
class CleaningTest : public ::testing::Test {
  protected:
    CleaningTest()
        : data("XDG_DATA_HOME", top.path() + "/data"), home("HOME", top.path() + "/home") {}

    std::string drive() const { return top.path() + "/drive/"; }
    std::string trash() const { return top.path() + "/data/Trash/"; }

    std::vector<ResultRow> scan(const std::string& root, const std::string& pattern = "*.tmp") {
        platform::PosixFileTree tree;
        platform::FakeDriveSource drives;
        ScannerSettings settings;
        settings.tempFolder = settings.cacheFolder = settings.cookieFolder = false;
        settings.drives = {true};
        settings.patterns = {{pattern, true}};
        return Scanner(tree, drives, {}).ScanDrives(false, settings, {{'a', "a:", root}}, {}).rows;
    }

    TestFolder top;
    ScopedEnv data, home;
    platform::PosixFileDisposal disposal;
    Cleaner cleaner{disposal};
};

TEST_F(CleaningTest, TrashFollowsTheFreedesktopLayoutAndNeverOverwrites) {
    makeFile(drive() + "a/x.tmp", "first");
    makeFile(drive() + "b/x.tmp", "second");
    makeFile(drive() + "with blank%.tmp");
    makeFile(trash() + "files/x.tmp.2", "already there, without its info");
    auto rows = scan(drive());
    ASSERT_EQ(rows.size(), 3u);
    const auto report = cleaner.cleanAll(rows, CleanMode::Recycle, "");
    EXPECT_TRUE(report.failures.empty()) << report.failureMessage();
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(report.cleaned, 3u);
    EXPECT_FALSE(fs::exists(drive() + "a/x.tmp"));
    EXPECT_EQ(readFile(trash() + "files/x.tmp.2"), "already there, without its info");
    std::set<std::string> contents;
    for (const char* name : {"x.tmp", "x.tmp.3"}) {
        contents.insert(readFile(trash() + "files/" + name));
        const std::string info = readFile(trash() + "info/" + name + ".trashinfo");
        EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + drive(), 0), 0u) << info;
        EXPECT_NE(info.find("\nDeletionDate=20"), std::string::npos) << info;
    }
    EXPECT_EQ(contents, (std::set<std::string>{"first", "second"}));
    EXPECT_NE(readFile(trash() + "info/with blank%.tmp.trashinfo").find("with%20blank%25.tmp\n"),
              std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat((trash() + "info").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(CleaningTest, DeleteAndMoveDisposeOfTheFilesAndAMoveNeverOverwrites) {
    const std::string folder = top.path() + "/cleaned/not/yet/there";
    makeFile(drive() + "x.tmp", "moved");
    makeFile(drive() + "sub/y.tmp", "deleted");
    makeFile(folder + "/x.tmp", "kept");
    makeFile(folder + "/x (2).tmp", "kept too");
    auto rows = scan(drive());
    ASSERT_EQ(rows.size(), 2u);
    const std::size_t moved = rows[0].name == "x.tmp" ? 0 : 1;
    auto outcome = cleaner.dispose(rows[moved], CleanMode::MoveToFolder, folder);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.destination, folder + "/x (3).tmp");
    EXPECT_EQ(readFile(folder + "/x (3).tmp"), "moved");
    EXPECT_EQ(readFile(folder + "/x.tmp"), "kept");
    EXPECT_EQ(readFile(folder + "/x (2).tmp"), "kept too");
    outcome = cleaner.dispose(rows[1 - moved], CleanMode::Delete, folder);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_FALSE(fs::exists(drive() + "sub/y.tmp"));
    // A file in the move folder stays where it is, under its own name.
    rows = scan(folder + "/");
    outcome = cleaner.dispose(rows.at(0), CleanMode::MoveToFolder, folder);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, "It is in the move folder already");
    EXPECT_TRUE(fs::exists(folder + "/" + rows[0].name));
    // The destination folder is made when missing.
    makeFile(drive() + "z.tmp");
    rows = scan(drive());
    EXPECT_TRUE(cleaner.dispose(rows[0], CleanMode::MoveToFolder, top.path() + "/new").ok);
    EXPECT_TRUE(fs::exists(top.path() + "/new/z.tmp"));
}

TEST_F(CleaningTest, AFolderRemovedBetweenTwoCleaningsIsMadeAgain) {
    // The user deletes the move folder, the whole trash or one of its two folders between two
    // cleanings of one run. A name still taken in the other folder moves to the next free one.
    struct Case {
        CleanMode mode;
        std::string removed;
        std::string expected[2];
    };
    const std::string folder = top.path() + "/cleaned";
    const Case cases[] = {
        {CleanMode::MoveToFolder, folder, {folder + "/x.tmp", folder + "/x.tmp"}},
        {CleanMode::Recycle, trash(), {trash() + "files/x.tmp", trash() + "files/x.tmp"}},
        {CleanMode::Recycle,
         trash() + "files",
         {trash() + "files/x.tmp", trash() + "files/x.tmp.2"}},
        {CleanMode::Recycle,
         trash() + "info",
         {trash() + "files/x.tmp", trash() + "files/x.tmp.2"}},
    };
    for (const auto& c : cases) {
        fs::remove_all(trash());
        for (int round = 0; round < 2; ++round) {
            makeFile(drive() + "x.tmp", "round " + std::to_string(round));
            auto rows = scan(drive());
            ASSERT_EQ(rows.size(), 1u);
            const auto outcome = cleaner.dispose(rows[0], c.mode, folder);
            ASSERT_TRUE(outcome.ok) << c.removed << ", round " << round << ": " << outcome.error;
            EXPECT_EQ(outcome.destination, c.expected[round]) << c.removed;
            EXPECT_EQ(readFile(c.expected[round]), "round " + std::to_string(round)) << c.removed;
            fs::remove_all(c.removed);
        }
    }
}

std::size_t openDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

TEST_F(CleaningTest, NothingStaysOpenBetweenRunsAndARemadeFolderCleansAgain) {
    // A drive cannot be unmounted while a folder on it is open, and a folder held open after it
    // was removed and made again is no longer the folder of that name.
    const std::string folder = top.path() + "/cleaned";
    for (CleanMode mode : {CleanMode::Delete, CleanMode::Recycle, CleanMode::MoveToFolder}) {
        for (int round = 0; round < 2; ++round) {
            fs::remove_all(drive() + "sub");
            makeFile(drive() + "sub/x.tmp");
            auto rows = scan(drive());
            ASSERT_EQ(rows.size(), 1u);
            const std::size_t before = openDescriptors();
            const auto report = cleaner.cleanAll(rows, mode, folder);
            EXPECT_TRUE(report.failures.empty())
                << static_cast<int>(mode) << ", round " << round << ": " << report.failureMessage();
            EXPECT_EQ(openDescriptors(), before) << static_cast<int>(mode);
        }
    }
}

TEST_F(CleaningTest, AMoveToAnotherFilesystemCopiesThenRemoves) {
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
    struct stat shm {
    }, here{};
    ::stat("/dev/shm", &shm);
    ::stat(top.path().c_str(), &here);
    if (shm.st_dev == here.st_dev) GTEST_SKIP() << "/dev/shm is on the same filesystem";
    TestFolder other;  // made in the temporary folder; the destination is in /dev/shm
    const std::string folder = "/dev/shm/dregmoor-test-" + std::to_string(::getpid());
    makeFile(folder + "/x.tmp", "kept");
    makeFile(drive() + "x.tmp", "moved across");
    ::chmod((drive() + "x.tmp").c_str(), 0640);
    auto rows = scan(drive());
    const auto outcome = cleaner.dispose(rows.at(0), CleanMode::MoveToFolder, folder);
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(readFile(folder + "/x (2).tmp"), "moved across");
    EXPECT_EQ(readFile(folder + "/x.tmp"), "kept");
    struct stat st {};
    ::stat((folder + "/x (2).tmp").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(fs::exists(drive() + "x.tmp"));
    fs::remove_all(folder);
}

// Whatever happens to a file or its folders after the scan, cleaning touches nothing outside the
// scanned tree and counts only what it cleaned.
TEST_F(CleaningTest, ChangesAfterTheScanAreRefusedAndReported) {
    TestFolder outside;
    struct Case {
        const char* what;
        std::function<void(const std::string& drive, const std::string& outside)> change;
        const char* error;
    } cases[] = {
        {"folder replaced by a link",
         [](const std::string& d, const std::string& o) {
             fs::rename(d + "sub", d + "sub.real");
             fs::create_directory_symlink(o, d + "sub");
         },
         "A folder on its path was replaced by a link"},
        {"file replaced by a link",
         [](const std::string& d, const std::string& o) {
             fs::remove(d + "sub/x.tmp");
             fs::create_symlink(o + "/x.tmp", d + "sub/x.tmp");
         },
         "It is no longer a regular file"},
        {"file replaced by another file",
         [](const std::string& d, const std::string&) {
             // The old file stays alive under another name, so the new one cannot get its inode.
             fs::rename(d + "sub/x.tmp", d + "sub/x.old");
             makeFile(d + "sub/x.tmp", "new and wanted");
         },
         "It was replaced by another file after the scan"},
        {"file removed by another program",
         [](const std::string& d, const std::string&) { fs::remove(d + "sub/x.tmp"); },
         "No such file or directory"},
    };
    for (const auto& c : cases) {
        for (CleanMode mode : {CleanMode::Delete, CleanMode::Recycle, CleanMode::MoveToFolder}) {
            fs::remove_all(drive());
            fs::remove_all(outside.path() + "/x.tmp");
            makeFile(outside.path() + "/x.tmp", "outside");
            makeFile(drive() + "sub/x.tmp", "scanned");
            makeFile(drive() + "y.tmp", "scanned");
            auto rows = scan(drive());
            ASSERT_EQ(rows.size(), 2u);
            c.change(drive(), outside.path());
            platform::PosixFileDisposal fresh;  // no folder kept open from an earlier case
            Cleaner cleaning(fresh);
            const auto report = cleaning.cleanAll(rows, mode, top.path() + "/moved");
            ASSERT_EQ(report.failures.size(), 1u) << c.what;
            EXPECT_EQ(report.failures[0].error, c.error) << c.what;
            EXPECT_EQ(report.failures[0].path, drive() + "sub/x.tmp");
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0].name, "x.tmp");
            EXPECT_EQ(report.kilobytes, 0);  // y.tmp is 8 bytes: 0k; the failed one not counted
            EXPECT_EQ(report.cleaned, 1u);
            EXPECT_EQ(readFile(outside.path() + "/x.tmp"), "outside") << c.what;
            EXPECT_NE(report.failureMessage().find(c.error), std::string::npos);
            if (fs::exists(drive() + "sub/x.tmp") && !fs::is_symlink(drive() + "sub/x.tmp") &&
                !fs::is_symlink(drive() + "sub")) {
                EXPECT_EQ(readFile(drive() + "sub/x.tmp"), "new and wanted") << c.what;
            }
        }
    }
}

TEST_F(CleaningTest, LinksInTheTrashAreNotFollowed) {
    TestFolder outside;
    fs::create_directories(trash());
    fs::create_directory_symlink(outside.path(), trash() + "files");
    makeFile(drive() + "x.tmp");
    auto rows = scan(drive());
    const auto report = cleaner.cleanAll(rows, CleanMode::Recycle, "");
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_TRUE(fs::exists(drive() + "x.tmp"));
    EXPECT_TRUE(fs::is_empty(outside.path()));
}

TEST_F(CleaningTest, ReadOnlyFoldersAreReportedNotCounted) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write into read-only folders";
    makeFile(drive() + "locked/x.tmp");
    ::chmod((drive() + "locked").c_str(), 0555);
    auto rows = scan(drive());
    for (CleanMode mode : {CleanMode::Delete, CleanMode::Recycle, CleanMode::MoveToFolder}) {
        const auto report = cleaner.cleanAll(rows, mode, top.path() + "/moved");
        ASSERT_EQ(report.failures.size(), 1u);
        EXPECT_EQ(report.failures[0].error, "Permission denied");
        EXPECT_EQ(report.status(), "Space Cleaned: 0k");
        EXPECT_EQ(rows.size(), 1u);
    }
    ::chmod((drive() + "locked").c_str(), 0755);
}

TEST(TrashPlaces, NamesAreCutBetweenCharactersAndTheTopIsTheMountPoint) {
    using D = platform::PosixFileDisposal;
    const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC";  // two and three bytes
    struct Cut {
        std::string name;
        std::size_t most;
        std::string cut;
    } cuts[] = {{"abcdef", 4, "abcd"},  {"ab" + e + "x", 3, "ab"}, {"ab" + e + "x", 4, "ab" + e},
                {"a" + euro, 2, "a"},   {"a" + euro, 3, "a"},      {euro + euro, 4, euro},
                {"short", 200, "short"}};
    for (const auto& c : cuts) EXPECT_EQ(D::cutName(c.name, c.most), c.cut) << c.name;

    const std::string table =
        "27 1 254:0 / / rw - ext4 /dev/vda rw\n"
        "47 27 0:40 /@home /home rw - btrfs /dev/sda3 rw,subvolid=257\n"
        "48 47 0:40 /@data /home/me/data\\040set rw - btrfs /dev/sda3 rw,subvolid=258\n"
        "49 27 8:17 / /media/me/STICK rw - vfat /dev/sdb1 rw\n";
    struct Top {
        const char* path;
        const char* top;
    } tops[] = {
        {"/home/me/projects/sub-subvolume/x.tmp", "/home"},  // a subvolume that is no mount
        {"/home/me/data set/x.tmp", "/home/me/data set"},
        {"/home/me/data setx/x.tmp", "/home"},
        {"/media/me/STICK", "/media/me/STICK"},
        {"/media/me/STICKER/x.tmp", "/"},
        {"/srv/x.tmp", "/"},
    };
    for (const auto& t : tops) EXPECT_EQ(D::mountPointOf(t.path, table), t.top) << t.path;
}

TEST(CleanRows, SelectedRowsAreTreatedInOrderAndFailuresKeepTheirRows) {
    platform::FakeFileDisposal disposal;
    Cleaner cleaner(disposal);
    std::vector<ResultRow> rows;
    for (int i = 1; i <= 5; ++i) {
        ResultRow row;
        row.folder = "/d/";
        row.name = std::to_string(i) + ".tmp";
        row.bytes = static_cast<std::uint64_t>(i) * 1024;
        row.rootLength = 3;
        rows.push_back(row);
    }
    disposal.failing["/d/5.tmp"] = "Device or resource busy";
    auto report = cleaner.cleanSelected(rows, {false, true, true, false, true},
                                        CleanMode::MoveToFolder, "/dest");
    ASSERT_EQ(disposal.calls.size(), 3u);
    EXPECT_EQ(disposal.calls[0].path, "/d/2.tmp");
    EXPECT_EQ(disposal.calls[1].path, "/d/3.tmp");
    EXPECT_EQ(disposal.calls[1].folder, "/dest");
    EXPECT_EQ(report.status(), "Space Cleaned: 5k");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "1.tmp");
    EXPECT_EQ(rows[1].name, "4.tmp");
    EXPECT_EQ(rows[2].name, "5.tmp");
    EXPECT_EQ(report.failureMessage(),
              "1 file could not be cleaned: /d/5.tmp: Device or resource busy.");

    disposal.calls.clear();
    report = cleaner.cleanSelected(rows, {false, false, false}, CleanMode::Delete, "");
    EXPECT_TRUE(disposal.calls.empty());
    EXPECT_EQ(report.status(), "Space Cleaned: 0k");

    std::vector<ResultRow> none;
    EXPECT_EQ(cleaner.cleanAll(none, CleanMode::Recycle, "").status(), "Space Cleaned: 0k");

    // Stopping keeps the untreated rows.
    report = cleaner.cleanAll(rows, CleanMode::Recycle, "",
                              [](std::size_t done, std::size_t) { return done < 1; });
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(disposal.calls.back().operation, "trash");
    EXPECT_EQ(rows.size(), 2u);
}

}  // namespace
}  // namespace ostrevin::dregmoor
