#include "common/ini_document.h"

#include <gtest/gtest.h>

namespace ostrevin {
namespace {

TEST(IniDocument, ReadsValuesAsThePrivateProfileFunctionsDo) {
    const auto doc = IniDocument::parse(
        "; comment\n[Main]\nEntries = 3 \nQuoted=\"  spaced  \"\nSingle='x'\nHalf=\"x\n"
        "Empty=\n[macro1]\nNAME=First\n");
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Main", "Entries", "3"},
        {"MAIN", "entries", "3"},
        {"Main", "Quoted", "  spaced  "},
        {"Main", "Single", "x"},
        {"Main", "Half", "\"x"},
        {"Main", "Empty", ""},
        {"Macro1", "Name", "First"},
        {"Main", "Missing", std::nullopt},
        {"Nowhere", "Entries", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doc.value(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST(IniDocument, ValuesAreCutTo1023Characters) {
    const auto doc = IniDocument::parse("[S]\nLong=" + std::string(2000, 'v') + "\n");
    EXPECT_EQ(doc.value("S", "Long")->size(), 1023u);
}

TEST(IniDocument, FirstOfDuplicateSectionsAndKeysWins) {
    auto doc = IniDocument::parse("[S]\nK=1\nK=2\n[S]\nK=3\nOnly=4\n");
    EXPECT_EQ(doc.value("S", "K"), "1");
    EXPECT_EQ(doc.value("S", "Only"), std::nullopt);
    doc.removeSection("s");
    EXPECT_FALSE(doc.hasSection("S"));
    EXPECT_EQ(doc.text(), "");
}

TEST(IniDocument, EditsLeaveUntouchedLinesAsTheyWere) {
    const std::string original =
        "; keep me\r\n[Main]\r\nEntries=1\r\n\r\n# also me\r\n[Other]\r\nodd line\r\nX = y\r\n";
    auto doc = IniDocument::parse(original);
    doc.set("MAIN", "entries", "2");
    doc.set("Main", "New", "n");
    doc.set("Fresh", "A", "b");
    EXPECT_EQ(doc.text(),
              "; keep me\r\n[Main]\r\nEntries=2\r\nNew=n\r\n\r\n# also me\r\n[Other]\r\n"
              "odd line\r\nX = y\r\n[Fresh]\r\nA=b\r\n");
    doc.removeKey("other", "x");
    EXPECT_EQ(doc.value("Other", "X"), std::nullopt);
    EXPECT_NE(doc.text().find("odd line"), std::string::npos);
}

TEST(IniDocument, LineBreaksInWrittenTextCannotSplitTheFile) {
    auto doc = IniDocument::parse("[S]\nA=1");
    doc.set("S", "B", "two\nlines\r\n[Injected]\nX=1");
    EXPECT_FALSE(doc.hasSection("Injected"));
    EXPECT_EQ(doc.value("S", "A"), "1");
    EXPECT_EQ(doc.value("S", "B"), "two lines  [Injected] X=1");
}

TEST(IniDocument, RawEntriesKeepKeysInFileOrder) {
    const auto doc = IniDocument::parse("[M]\nName=a\nType=\"4\"\njunk\nTrigger=\n");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Name", "a"}, {"Type", "\"4\""}, {"Trigger", ""}};
    EXPECT_EQ(doc.rawEntries("m"), expected);
}

}  // namespace
}  // namespace ostrevin
