#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/test_folder.h"
#include "dregmoor/engine/command_line.h"
#include "platform/fake/fakes.h"
#include "platform/fake/scanner_fakes.h"
#include "platform/posix/posix_file_disposal.h"
#include "platform/posix/posix_file_tree.h"

namespace ostrevin::dregmoor {
namespace {

namespace fs = std::filesystem;

class CommandLineTest : public ::testing::Test {
  protected:
    CommandLineTest() : data("XDG_DATA_HOME", top.path() + "/data") {
        drives.drives = {{"/dev/x1", top.path() + "/drive", "ext4", "Junk"},
                         {"/dev/x2", top.path() + "/empty", "ext4", ""}};
        drives.free[top.path() + "/drive/"] = 5LL * 1024 * 1024 * 1024;
        fs::create_directories(top.path() + "/drive/sub");
        fs::create_directories(top.path() + "/empty");
        std::ofstream(top.path() + "/drive/a.tmp") << std::string(1536, 'a');
        std::ofstream(top.path() + "/drive/sub/b.tmp") << "b";
        std::ofstream(top.path() + "/drive/keep.txt") << "keep";
    }
    void settings(const std::string& extra) {
        std::ofstream(ini()) << "[Settings]\nDrives=0,\n"
                             << extra
                             << "[Scan]\nScanFor=*.tmp,1,*.txt,0,\nCheck1=0\nCheck2=0\nCheck3=0\n";
    }
    std::string ini() const { return top.path() + "/DREGMOOR.INI"; }
    std::optional<int> run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        CommandLineContext context{drives, tree, disposal, clock, {}, ini()};
        return runCommandLine(args, context, out, err);
    }

    TestFolder top;
    ScopedEnv data;
    platform::FakeDriveSource drives;
    platform::PosixFileTree tree;
    platform::PosixFileDisposal disposal;
    platform::FakeClock clock;
    std::ostringstream out, err;
};

TEST_F(CommandLineTest, ArgumentsThatMakeNoSenseExitWith2) {
    // Without a switch of ours the tray program starts: a session restore and the toolkit add
    // arguments of their own.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"-session", "10d2f3"}, {"-platform", "xcb"}, {"--bogus"}}) {
        EXPECT_FALSE(run(args)) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(err.str(), "");
    }
    struct Case {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--scan", "--bogus"}, "unknown argument \"--bogus\""},
        {{"-session", "x", "--clean"}, "unknown argument \"-session\""},
        {{"--scan", "--clean"}, "give one of"},
        {{"--move-to", "/x"}, "go with --clean"},
        {{"--clean", "--move-to"}, "--move-to needs a folder"},
        {{"--drives", "--folder", "/x"}, "go with --scan or --clean"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.args), kExitUnusable) << c.says;
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    }
    EXPECT_EQ(run({"--help"}), kExitOk);
    EXPECT_NE(out.str().find("Usage: dregmoor"), std::string::npos);
}

TEST_F(CommandLineTest, DrivesAndScanPrintWhatTheWindowWouldShow) {
    settings("");
    EXPECT_EQ(run({"--drives"}), kExitOk);
    EXPECT_EQ(out.str(), "0\ta: [Junk] " + top.path() + "/drive\t" + top.path() +
                             "/drive/\t5120 MB free\n1\tb: " + top.path() + "/empty\t" +
                             top.path() + "/empty/\tunknown\n");
    EXPECT_EQ(run({"--scan"}), kExitOk);
    EXPECT_EQ(out.str(), top.path() + "/drive/a.tmp\t2k\n" + top.path() +
                             "/drive/sub/b.tmp\t0k\nTotal Files: 2k\n");
    std::stringstream stored;
    stored << std::ifstream(ini()).rdbuf();
    EXPECT_EQ(stored.str().find("FirstRun"), std::string::npos);  // left for the window
}

TEST_F(CommandLineTest, CleanUsesTheStoredChoiceAndReportsFailuresWithStatus1) {
    settings("DeleteOption=1\n");
    EXPECT_EQ(run({"--clean", "--dry-run"}), kExitOk);
    EXPECT_NE(out.str().find("would delete\t" + top.path() + "/drive/a.tmp\t2k\n"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(top.path() + "/drive/a.tmp"));

    settings("DeleteOption=3\n");
    std::ofstream(top.path() + "/plain") << "a file, not a folder";
    EXPECT_EQ(run({"--clean", "--move-to", top.path() + "/plain/sub"}), kExitSomeFailed);
    EXPECT_NE(err.str().find("2 files could not be cleaned"), std::string::npos) << err.str();
    EXPECT_NE(out.str().find("Space Cleaned: 0k"), std::string::npos);

    EXPECT_EQ(run({"--clean", "--move-to", top.path() + "/moved"}), kExitOk);
    EXPECT_NE(out.str().find("moved\t" + top.path() + "/drive/a.tmp\t2k\t" + top.path() +
                             "/moved/a.tmp\n"),
              std::string::npos)
        << out.str();
    EXPECT_TRUE(fs::exists(top.path() + "/moved/b.tmp"));
    EXPECT_TRUE(fs::exists(top.path() + "/drive/keep.txt"));  // its pattern is not ticked
}

TEST_F(CommandLineTest, UnusableSettingsExitWith2) {
    settings("[Schedule]\nHourInterval=x\n");
    EXPECT_EQ(run({"--scan"}), kExitUnusable);
    EXPECT_NE(err.str().find("'x' is not a valid integer value"), std::string::npos);
    settings("[Schedule]\nDayParameter=noon\n");
    EXPECT_EQ(run({"--clean", "--folder", top.path() + "/drive"}), kExitUnusable);
    EXPECT_TRUE(fs::exists(top.path() + "/drive/a.tmp"));
}

TEST(PrintablePath, EveryRowStaysOneLine) {
    EXPECT_EQ(printablePath("/a b/c\td\ne\\f\x01g"), "/a b/c\\td\\ne\\\\f\\x01g");
    EXPECT_EQ(printablePath("/ok/\xc3\xa9.tmp"), "/ok/\xc3\xa9.tmp");
}

}  // namespace
}  // namespace ostrevin::dregmoor
