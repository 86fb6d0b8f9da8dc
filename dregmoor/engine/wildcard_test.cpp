#include <gtest/gtest.h>

#include "dregmoor/engine/scan_result.h"
#include "dregmoor/engine/wildcard.h"

namespace ostrevin::dregmoor {
namespace {

struct Case {
    const char* pattern;
    const char* name;
    bool match;
};

const Case kCases[] = {
    {"*.*", "README", true},  // "*.*" takes names without a dot
    {"*.*", ".hidden", true},
    {"*", "a.b.c", true},
    {"*.tmp", "x.tmp", true},
    {"*.tmp", "X.TMP", true},  // letters without regard to case
    {"*.TMP", "x.tmp", true},
    {"*.tmp", "x.tmpl", false},
    {"*.tmp", "tmp", false},
    {"*.tmp", ".tmp", true},
    {"~*.*", "~lock", true},
    {"~*.*", "~$doc.docx", true},
    {"~*.*", "lock~", false},
    {"x.*", "x", true},  // "x.*" also takes the bare name
    {"x.*", "x.y", true},
    {"x.*", "xy", false},
    {"*.", "Makefile", true},  // a trailing dot: names without an extension
    {"*.", "a.out", false},
    {"core.", "core", true},
    {"core.", "core.1", false},
    {"?.log", "a.log", true},
    {"?.log", "ab.log", false},
    {"?.log", ".log", false},
    {"?.log", "\xc3\xa9.log", true},  // "?" is one character, not one byte
    {"a?c", "abc", true},
    {"a*b*c", "aXXbYYc", true},
    {"a*b*c", "aXXbYY", false},
    {"thumbs.db", "Thumbs.db", true},
    {"thumbs.db", "thumbs.dbx", false},
    {"*~", "notes.txt~", true},
    {"*.b?k", "old.bak", true},
    {"*.b?k", "old.bk", false},
    {"*.TMP.", "x.tmp", true},
    {".", "x", false},
    {"~*.bak", "~a.BAK", true},
    {"*.log*", "app.log", true},  // a trailing "*" may stand for nothing
    {"*.log*", "app.log.1", true},
    {"abc*", "abc", true},
    {"abc*", "ab", false},
};

TEST(Wildcard, MatchesAsUsersOfTheScannerExpect) {
    for (const auto& c : kCases)
        EXPECT_EQ(Wildcard(c.pattern).matches(c.name), c.match) << c.pattern << " " << c.name;
}

// The scan turns names away on the last byte before it tries a pattern, so a pattern that fixes
// the last byte must never match a name ending otherwise.
TEST(Wildcard, LastByteNeverTurnsAwayAMatch) {
    struct Last {
        const char* pattern;
        char last;
    } lasts[] = {{"*.TMP", 'p'}, {"*.*", 0},     {"x.*", 0},      {"*.b?k", 'k'}, {"a?", 0},
                 {"*~", '~'},    {"core.", 'e'}, {"*.tmp.", 'p'}, {"*", 0},       {".", 0}};
    for (const auto& l : lasts) EXPECT_EQ(Wildcard(l.pattern).lastByte(), l.last) << l.pattern;
    for (const auto& c : kCases) {
        const Wildcard w(c.pattern);
        if (!c.match || w.lastByte() == 0) continue;
        const std::string name(c.name);
        const char end = name.back() >= 'A' && name.back() <= 'Z' ? name.back() + 32 : name.back();
        EXPECT_EQ(end, w.lastByte()) << c.pattern << " " << c.name;
    }
}

TEST(SizeText, KilobytesRoundHalvesToEven) {
    struct Case {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {{0, "0k"},    {511, "0k"},  {512, "0k"},  {513, "1k"},  {1536, "2k"},
                 {2560, "2k"}, {3584, "4k"}, {1024, "1k"}, {1535, "1k"}, {1048576, "1024k"}};
    for (const auto& c : cases) {
        ResultRow row;
        row.bytes = c.bytes;
        EXPECT_EQ(row.sizeText(), c.text) << c.bytes;
    }
    std::vector<ResultRow> rows(3);
    rows[0].bytes = 1536, rows[1].bytes = 2560, rows[2].bytes = 511;
    EXPECT_EQ(totalKilobytes(rows), 4);  // the sum of the rounded sizes
}

}  // namespace
}  // namespace ostrevin::dregmoor
