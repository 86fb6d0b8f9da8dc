#include "macros/catalogue/macro_catalogue.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "common/test_folder.h"
#include "macros/catalogue/macro_name.h"
#include "platform/fake/fakes.h"

namespace keyloom {
namespace {

class CatalogueTest : public ::testing::Test {
  protected:
    ostrevin::TestFolder folder;
    std::string file = folder.path() + "/macros.ini";
    ostrevin::IniStore store{file};
    ostrevin::platform::FakeFileSystem files;
    MacroCatalogue catalogue{store, "/opt/keyloom/", files};

    void writeCatalogue(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    void addFour() {
        for (int i = 1; i <= 4; ++i) {
            MacroEntry e;
            e.name = "M" + std::to_string(i);
            e.type = i;
            e.hotKey = 0x6041 + i;
            e.fileName = "/usr/bin/prog" + std::to_string(i) + "~~-q~~/tmp";
            e.trigger = "Title " + std::to_string(i);
            e.speed = 2;
            catalogue.append(e);
        }
    }
};

TEST_F(CatalogueTest, AppendWritesDerivedFileNamesAndSpeedOnlyForType3) {
    addFour();
    EXPECT_EQ(catalogue.entries(), 4);
    struct Case {
        int number;
        const char* fileName;
        bool hasSpeed;
    };
    const Case cases[] = {{1, "/usr/bin/prog1~~-q~~/tmp", false},
                          {2, "M2.dat", false},
                          {3, "M3.dat", true},
                          {4, "M4.key", false}};
    for (const auto& c : cases) {
        const auto sec = MacroCatalogue::section(c.number);
        EXPECT_EQ(store.readString(sec, "FileName", "?"), c.fileName);
        EXPECT_EQ(store.readString(sec, "Speed", "") == "2", c.hasSpeed) << c.number;
    }
}

TEST_F(CatalogueTest, NamesAreStoredCleanedWithTheirSideFile) {
    struct Case {
        const char* given;
        const char* stored;
        const char* fileName;
    };
    const Case cases[] = {{"Report  ", "Report", "Report.key"},
                          {"Daily Report", "Daily Report", "Daily Report.key"},
                          {"Été -x", "Été -x", "Été -x.key"}};
    for (const auto& c : cases) {
        MacroEntry e;
        e.name = c.given;
        e.type = 4;
        const int n = catalogue.append(e);
        EXPECT_EQ(catalogue.entry(n).name, c.stored) << c.given;
        EXPECT_EQ(catalogue.entry(n).fileName, c.fileName) << c.given;
    }
}

TEST_F(CatalogueTest, ACatalogueTheProgramCreatesIsReadableByItsOwnerOnly) {
    MacroEntry e;
    e.name = "Secret";
    e.type = 4;
    catalogue.append(e);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(CatalogueTest, NamesThatLeaveTheProgramFolderAreRefused) {
    for (const char* bad : {"../escape", "a/b", "/abs", "tab\there"}) {
        MacroEntry e;
        e.name = bad;
        e.type = 4;
        EXPECT_THROW(catalogue.append(e), MacroNameError) << bad;
    }
    EXPECT_EQ(catalogue.entries(), 0);
    // A hand-edited catalogue cannot make the program read or delete outside its folder either.
    EXPECT_EQ(catalogue.sideFilePath("../x.key"), std::nullopt);
    EXPECT_EQ(catalogue.sideFilePath(".."), std::nullopt);
    EXPECT_EQ(catalogue.sideFilePath("ok.key"), "/opt/keyloom/ok.key");
    catalogue.remove(1, "../../etc/passwd");
    EXPECT_TRUE(files.removed.empty());
}

TEST_F(CatalogueTest, DeletingEntryTwoOfFourMovesEveryLaterKeyDown) {
    addFour();
    store.writeString("Macro3", "FoundHandle", "11,12");
    store.writeString("Macro4", "Extra", "kept");
    const MacroEntry third = catalogue.entry(3);
    const MacroEntry fourth = catalogue.entry(4);
    catalogue.remove(2, "M2");
    EXPECT_EQ(files.removed,
              (std::vector<std::string>{"/opt/keyloom/M2.key", "/opt/keyloom/M2.dat"}));
    EXPECT_EQ(catalogue.entries(), 3);
    EXPECT_EQ(catalogue.entry(1).name, "M1");
    const MacroEntry newSecond = catalogue.entry(2);
    EXPECT_EQ(newSecond.name, third.name);
    EXPECT_EQ(newSecond.type, 3);
    EXPECT_EQ(newSecond.hotKey, third.hotKey);
    EXPECT_EQ(newSecond.speed, 2);
    EXPECT_EQ(newSecond.foundHandle, "11,12");
    EXPECT_EQ(catalogue.entry(3).name, fourth.name);
    EXPECT_EQ(store.readString("Macro3", "Extra", ""), "kept");
    // Nothing of the old third entry may linger in its new home.
    EXPECT_EQ(store.readString("Macro3", "Speed", "none"), "none");
    EXPECT_FALSE(store.sectionExists("Macro4"));
}

TEST_F(CatalogueTest, DeletingTheLastEntryMovesNothing) {
    addFour();
    catalogue.remove(4, "M4");
    EXPECT_EQ(catalogue.entries(), 3);
    EXPECT_FALSE(store.sectionExists("Macro4"));
    EXPECT_EQ(catalogue.entry(3).name, "M3");
    files.removed.clear();
    catalogue.remove(1, "M1");  // a launch macro has no side file, yet both are tried
    EXPECT_EQ(files.removed,
              (std::vector<std::string>{"/opt/keyloom/M1.key", "/opt/keyloom/M1.dat"}));
    catalogue.remove(1, "M2");
    catalogue.remove(1, "M3");
    EXPECT_EQ(catalogue.entries(), 0);
    EXPECT_FALSE(store.sectionExists("Macro1"));
    files.removed.clear();
    catalogue.remove(1, "gone");  // a stale row deletes nothing more, its side files included
    EXPECT_EQ(catalogue.entries(), 0);
    EXPECT_TRUE(files.removed.empty());
}

TEST_F(CatalogueTest, ListRowsUseDefaultsForMissingKeys) {
    writeCatalogue(
        "[Main]\nEntries=7\n[Macro1]\nName=Launch\nHotKey=0x6041\n"
        "[Macro2]\nName=Odd\nType=9\nHotKey=abc\nTrigger=Untitled - Editor\n");
    const auto rows = catalogue.listRows(usKeyLabel);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].caption, "Launch");
    EXPECT_EQ(rows[0].icon, 0);  // no Type reads as 1 in the list
    EXPECT_EQ(rows[0].shortcut, "Shift+Ctrl+A");
    EXPECT_EQ(rows[1].icon, -1);
    EXPECT_EQ(rows[1].shortcut, "");
    EXPECT_EQ(rows[1].trigger, "Untitled - Editor");
    EXPECT_EQ(rows[6].caption, "Macro7");
    EXPECT_EQ(catalogue.entry(7).type, 0);  // ...but 0 where a macro is run
    EXPECT_EQ(catalogue.entry(1).hotKey, 24641);
}

TEST_F(CatalogueTest, BadCataloguesReadWithDefaults) {
    const std::string cases[] = {
        "",
        "[Main]\nEntries=-4\n",
        "[Main]\nEntries=99999999\n",
        std::string("\x00\x01\xfe\xff[Main]\xff\nEntries\n==\n[Macro1\nName\n", 30),
        "[Macro1]\nName=No entries key\n",
    };
    for (const auto& text : cases) {
        writeCatalogue(text);
        const auto rows = catalogue.listRows(usKeyLabel);
        EXPECT_LE(rows.size(), static_cast<std::size_t>(MacroCatalogue::kMaxEntries));
        EXPECT_EQ(catalogue.searchInterval(), 250);
        EXPECT_TRUE(catalogue.firstRun());
        EXPECT_EQ(catalogue.waitForSeparator(), "~~");
    }
    writeCatalogue("[Macro1]\nName=No entries key\n");
    EXPECT_EQ(catalogue.entries(), 0);
    EXPECT_TRUE(catalogue.findByName("No entries key").empty());
}

TEST_F(CatalogueTest, FindByNameFoldsOnlyAsciiCaseAndTakesAllInOrder) {
    writeCatalogue(
        "[Main]\nEntries=5\n[Macro1]\nName=Daily Report\n[Macro2]\nName=Other\n"
        "[Macro3]\nName=DAILY report\n[Macro4]\nName=Été\n[Macro5]\n");
    EXPECT_EQ(catalogue.findByName("daily REPORT"), (std::vector<int>{1, 3}));
    EXPECT_EQ(catalogue.findByName("Été"), (std::vector<int>{4}));
    EXPECT_TRUE(catalogue.findByName("éTé").empty());
    EXPECT_EQ(catalogue.findByName(""), (std::vector<int>{5}));
}

TEST_F(CatalogueTest, ResetFoundHandlesAndKeysInAnyCase) {
    writeCatalogue("[main]\nENTRIES=2\n[MACRO1]\nfilename=a.key\nFoundHandle=1,2\n[Macro2]\n");
    catalogue.resetFoundHandles();
    EXPECT_EQ(catalogue.entry(1).foundHandle, "");
    EXPECT_EQ(catalogue.entry(1).fileName, "a.key");
    EXPECT_TRUE(store.sectionExists("Macro2"));
}

TEST_F(CatalogueTest, ResetNeverCreatesSectionsForAGarbledEntriesCount) {
    const std::string text =
        "[Main]\nEntries=65535\n[Macro1]\nName=a\nFoundHandle=7\n[Macro3]\nName=c\n";
    writeCatalogue(text);
    catalogue.resetFoundHandles();
    const std::string after = store.load().text();
    EXPECT_LT(after.size(), text.size() + 40) << "the reset grew the file";
    EXPECT_FALSE(store.sectionExists("Macro2"));
    EXPECT_FALSE(store.sectionExists("Macro4"));
    EXPECT_EQ(catalogue.entry(1).foundHandle, "");
    EXPECT_EQ(catalogue.entry(3).name, "c");
    // A second start finds nothing to reset and leaves the file alone.
    struct stat before {};
    ::stat(file.c_str(), &before);
    catalogue.resetFoundHandles();
    struct stat again {};
    ::stat(file.c_str(), &again);
    EXPECT_EQ(before.st_ino, again.st_ino);
}

TEST_F(CatalogueTest, RenumberingKeepsTheValueThatReadingSees) {
    writeCatalogue(
        "[Main]\nEntries=3\n[Macro1]\nName=gone\n[Macro2]\nName=first\nName=second\n"
        "HotKey=1\nHotKey=2\n; note\n[Macro3]\nname=third\nNAME=fourth\n");
    const MacroEntry second = catalogue.entry(2);
    catalogue.remove(1, "gone");
    EXPECT_EQ(catalogue.entry(1).name, second.name);
    EXPECT_EQ(catalogue.entry(1).hotKey, second.hotKey);
    EXPECT_EQ(catalogue.entry(2).name, "third");
}

}  // namespace
}  // namespace keyloom
