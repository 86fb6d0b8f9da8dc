#include "common/ini_store.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/test_folder.h"

namespace ostrevin {
namespace {

class IniStoreTest : public ::testing::Test {
  protected:
    TestFolder folder;
    std::string file = folder.path() + "/settings.ini";
    void writeFile(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    std::string fileText() {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(IniStoreTest, BareNameResolvesToTheConfigurationFolder) {
    ScopedEnv xdg("XDG_CONFIG_HOME", folder.path() + "/cfg");
    IniStore store("macros.ini");
    EXPECT_EQ(store.path(), folder.path() + "/cfg/ostrevin/macros.ini");
    store.writeInteger("Main", "Entries", 1);  // creates the folder on first write
    EXPECT_TRUE(std::filesystem::exists(store.path()));
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/dir");
    ScopedEnv home("HOME", folder.path());
    EXPECT_EQ(IniStore("macros.ini").path(), folder.path() + "/.config/ostrevin/macros.ini");
}

TEST_F(IniStoreTest, IntegersAndBooleans) {
    writeFile(
        "[K]\nHex=0x6041\nUpperHex=0XFF\nShortHex=0x\nWord=abc\nNeg=-3\nOne=1\nZero=0\n"
        "Blank=\nTwo=2\n");
    IniStore store(file);
    struct Case {
        const char* key;
        int expected;
    };
    const Case ints[] = {{"Hex", 24641}, {"UpperHex", 255}, {"ShortHex", 9}, {"Word", 9},
                         {"Neg", -3},    {"Blank", 9},      {"Absent", 9}};
    for (const auto& c : ints) EXPECT_EQ(store.readInteger("K", c.key, 9), c.expected) << c.key;
    EXPECT_TRUE(store.readBool("K", "One", false));
    EXPECT_FALSE(store.readBool("K", "Zero", true));
    EXPECT_TRUE(store.readBool("K", "Two", false));
    EXPECT_TRUE(store.readBool("K", "Word", true));
    EXPECT_FALSE(store.readBool("K", "Word", false));
    store.writeBool("K", "Flag", true);
    store.writeInteger("K", "Count", -12);
    EXPECT_EQ(store.readString("K", "Flag", ""), "1");
    EXPECT_EQ(store.readString("K", "Count", ""), "-12");
}

TEST_F(IniStoreTest, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
    IniStore store(folder.path() + "/sub/dir/new.ini");
    EXPECT_EQ(store.readString("Main", "X", "dflt"), "dflt");
    EXPECT_FALSE(store.sectionExists("Main"));
    store.writeString("Main", "X", "v");
    EXPECT_EQ(store.readString("main", "x", ""), "v");
}

TEST_F(IniStoreTest, EraseAndDeleteKeepTheRest) {
    writeFile("; top\n[A]\nk=1\nj=2\n\n[B]\nk=3\n");
    IniStore store(file);
    store.deleteKey("a", "K");
    store.eraseSection("b");
    EXPECT_EQ(fileText(), "; top\n[A]\nj=2\n\n");
    store.eraseSection("Absent");
    store.deleteKey("Absent", "k");
    EXPECT_EQ(fileText(), "; top\n[A]\nj=2\n\n");
}

TEST_F(IniStoreTest, RefusedWriteNamesTheFile) {
    const std::string blocked = folder.path() + "/blocker";
    writeFile("");
    std::ofstream(blocked) << "a file where a folder should be";
    IniStore store(blocked + "/x.ini");
    try {
        store.writeString("S", "K", "v");
        FAIL() << "write into a path below a file succeeded";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked + "/x.ini");
    }
}

TEST_F(IniStoreTest, WritesThroughSymbolicLinkAndKeepsMode) {
    const std::string real = folder.path() + "/real.ini";
    std::ofstream(real) << "[S]\nK=1\n";
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, file);
    IniStore(file).writeString("S", "K", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_EQ(IniStore(real).readString("S", "K", ""), "2");
    struct stat st {};
    ::stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniStoreTest, GarbageAndBinaryBytesNeverBreakReading) {
    using namespace std::string_literals;
    writeFile("\x00\xff[Main\nEntries=2\n=novalue\n[\n]]]\n[Main]\nEntries=5\n\x01\x02=\x03\n"s);
    IniStore store(file);
    EXPECT_EQ(store.readInteger("Main", "Entries", 0), 5);  // the NUL line is no section header
    store.writeString("Main", "After", "ok");
    EXPECT_EQ(store.readString("Main", "After", ""), "ok");
}

}  // namespace
}  // namespace ostrevin
