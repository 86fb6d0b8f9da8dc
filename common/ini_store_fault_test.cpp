// The store's promises under faults: a writer killed at any moment never leaves a file that reads
// back wrong, and writers in two processes never lose each other's keys.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <random>
#include <thread>

#include "common/ini_document.h"
#include "common/ini_store.h"
#include "common/test_folder.h"

namespace ostrevin {
namespace {

std::string valueFor(int i) {
    return "value-" + std::to_string(i) + std::string(i % 37, 'x');
}

[[noreturn]] void writeKeys(const std::string& file, const std::string& prefix, int from, int to) {
    try {
        IniStore store(file);
        for (int i = from; i < to; ++i)
            store.writeString("Keys", prefix + std::to_string(i), valueFor(i));
    } catch (...) {
        ::_exit(3);
    }
    ::_exit(0);
}

// The keys written so far must be exactly K0..K(n-1) with their values, and nothing else.
int checkPrefixWritten(const std::string& file) {
    const auto entries = IniStore(file).readSectionRaw("Keys");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].first, "K" + std::to_string(i));
        EXPECT_EQ(entries[i].second, valueFor(static_cast<int>(i)));
    }
    return static_cast<int>(entries.size());
}

TEST(IniStoreFaults, WriterKilledAtRandomPointsNeverLeavesABadFile) {
    TestFolder folder;
    const std::string file = folder.path() + "/killed.ini";
    std::mt19937 random(20261207);
    int written = 0;
    int kills = 0;
    while (written < 1000) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) writeKeys(file, "K", written, 1000);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status))
            ++kills;
        else
            ASSERT_EQ(WEXITSTATUS(status), 0);
        const int now = checkPrefixWritten(file);
        ASSERT_GE(now, written) << "a killed writer lost keys written before it";
        if (::testing::Test::HasFailure()) return;
        written = now;
    }
    EXPECT_GT(kills, 5) << "the writer was hardly ever interrupted; the test proved little";
}

TEST(IniStoreFaults, TwoProcessesWritingOneFileLoseNoKey) {
    TestFolder folder;
    const std::string file = folder.path() + "/shared.ini";
    pid_t first = ::fork();
    if (first == 0) writeKeys(file, "A", 0, 1000);
    pid_t second = ::fork();
    if (second == 0) writeKeys(file, "B", 0, 1000);
    for (pid_t child : {first, second}) {
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const IniDocument doc = IniStore(file).load();
    int missing = 0;
    for (const char* prefix : {"A", "B"})
        for (int i = 0; i < 1000; ++i)
            if (doc.value("Keys", prefix + std::to_string(i)) != valueFor(i)) ++missing;
    EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace ostrevin
