#include "platform/posix/posix_launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/test_folder.h"

namespace ostrevin::platform {
namespace {

bool appears(const std::string& path) {
    for (int i = 0; i < 200 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(path);
}

TEST(PosixLauncher, StartsProgramsWithQuotedParametersInTheFolderAndNoShell) {
    TestFolder folder;
    PosixLauncher launcher;
    ASSERT_TRUE(launcher.open("touch", "\"a file\" 'second one' $HOME;x `id`", folder.path()));
    for (const char* name : {"a file", "second one", "$HOME;x", "`id`"})
        EXPECT_TRUE(appears(folder.path() + "/" + name)) << name;
    // An open quote: taken word by word at the blanks.
    ASSERT_TRUE(launcher.open("/usr/bin/touch", "\"half open", folder.path()));
    EXPECT_TRUE(appears(folder.path() + "/\"half"));
    EXPECT_TRUE(appears(folder.path() + "/open"));
    launcher.reapChildren();
}

TEST(PosixLauncher, TellsProgramsFromDocumentsAndLinks) {
    TestFolder folder;
    const std::string document = folder.path() + "/notes.txt";
    std::ofstream(document) << "text";
    std::filesystem::permissions(
        document, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    struct Case {
        std::string file;
        std::string folder;
        bool program;
    };
    const Case cases[] = {
        {"touch", "", true},
        {"/usr/bin/touch", "", true},
        {"bin/touch", "/usr", true},
        {"report.pdf", folder.path(), false},
        {"https://example.org/a/b", "", false},
        {"mailto:someone@example.org", "", false},
        {"/usr/bin", "", false},
        {document, "", false},
        {"notes.txt", folder.path(), false},
        {"", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!PosixLauncher::findExecutable(c.file, c.folder).empty(), c.program) << c.file;
}

}  // namespace
}  // namespace ostrevin::platform
