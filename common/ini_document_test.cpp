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

TEST(IniDocument, TabsAroundTheEqualsSignReadAsBlanks) {
    const auto doc = IniDocument::parse("[S]\nA\t=\tone\n\tB = two\t\nC\t\t=\n");
    EXPECT_EQ(doc.value("S", "A"), "one");
    EXPECT_EQ(doc.value("S", "B"), "two");
    EXPECT_EQ(doc.value("S", "C"), "");
}

TEST(IniDocument, RemovingAKeyHeldTwiceRemovesTheValueReadingSees) {
    auto doc = IniDocument::parse("[S]\nK=1\nk=2\nOther=x\n[T]\nK=3\n");
    doc.removeKey("S", "K");
    EXPECT_EQ(doc.value("S", "K"), std::nullopt);
    EXPECT_EQ(doc.value("S", "Other"), "x");
    EXPECT_EQ(doc.value("T", "K"), "3");
}

TEST(IniDocument, MovedSectionsReadAsTheirSource) {
    auto doc = IniDocument::parse("[A]\nOld=1\n; closing note\n\n[B]\nK=first\nK=second\n");
    doc.replaceSection("a", doc.rawEntries("B"));
    EXPECT_EQ(doc.value("A", "K"), "first");
    EXPECT_EQ(doc.value("A", "Old"), std::nullopt);
    EXPECT_EQ(doc.text(), "[A]\nK=first\nK=second\n; closing note\n\n[B]\nK=first\nK=second\n");
    doc.replaceSection("Missing", {});
    EXPECT_FALSE(doc.hasSection("Missing"));
}

TEST(IniDocument, ManySectionsAreEditedInPlace) {
    std::string text = "[Main]\nEntries=3000\n";
    for (int n = 1; n <= 3000; ++n) text += "[Macro" + std::to_string(n) + "]\nName=m\n";
    auto doc = IniDocument::parse(text);
    for (int n = 1; n <= 3000; ++n) doc.set("macro" + std::to_string(n), "FoundHandle", "");
    doc.removeSection("Macro2");
    doc.set("Macro2", "Name", "again");
    EXPECT_EQ(doc.value("MACRO3000", "FoundHandle"), "");
    EXPECT_EQ(doc.value("Macro2", "Name"), "again");
    EXPECT_EQ(doc.text().find("[Macro2]"), doc.text().rfind("[Macro2]"));
    const std::string tail = "FoundHandle=\n[Macro2]\nName=again\n";
    EXPECT_EQ(doc.text().substr(doc.text().size() - tail.size()), tail);
}

TEST(IniDocument, AFileWithoutAFinalLineEndStaysWellFormed) {
    auto doc = IniDocument::parse("[S]\r\nA=1");
    doc.set("T", "B", "2");
    doc.set("S", "C", "3");
    EXPECT_EQ(doc.text(), "[S]\r\nA=1\r\nC=3\r\n[T]\r\nB=2\r\n");
    auto bare = IniDocument::parse("[S]");
    bare.set("S", "A", "1");
    EXPECT_EQ(bare.text(), "[S]\nA=1\n");
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
