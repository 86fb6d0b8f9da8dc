#include "macros/playback/modifier_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace keyloom {
namespace {

class RecordingSender : public KeyStringSender {
  public:
    std::vector<std::string> sent;
    int Send(std::string_view keys) override {
        sent.emplace_back(keys);
        return 0;
    }
    void setTokensOnly(bool) override {}
};

struct TokenRun {
    std::vector<std::string> sent;
    std::string rest;
};

TokenRun runToken(std::string_view text) {
    RecordingSender sender;
    const ModifierToken token = findModifierToken(text);
    EXPECT_NE(token.index, 0) << text;
    std::string rest = runModifierToken(text, token, sender);
    return {sender.sent, rest};
}

TEST(ModifierKeys, EveryKeyNameWithEveryModifier) {
    const char* tokens[] = {"<<CTRL>>",     "<<ALT>>",        "<<SHIFT>>",
                            "<<CTRL+ALT>>", "<<CTRL+SHIFT>>", "<<SHIFT+ALT>>"};
    const char* prefixes[] = {"^", "@", "~", "^@", "^~", "~@"};
    struct Key {
        const char* token;
        const char* name;
    };
    const Key keys[] = {
        {"ENTER", "ENTER"},   {"F1", "F1"},         {"F2", "F2"},     {"F3", "F3"},
        {"F4", "F4"},         {"F5", "F5"},         {"F6", "F6"},     {"F7", "F7"},
        {"F8", "F8"},         {"F9", "F9"},         {"F10", "F10"},   {"F11", "F11"},
        {"F12", "F12"},       {"ESC", "ESC"},       {"TAB", "TAB"},   {"BACKSPACE", "BKSP"},
        {"INSERT", "INSERT"}, {"DELETE", "DELETE"}, {"HOME", "HOME"}, {"END", "END"},
        {"PAGEUP", "PGUP"},   {"PAGEDOWN", "PGDN"}, {"UP", "UP"},     {"DOWN", "DOWN"},
        {"LEFT", "LEFT"},     {"RIGHT", "RIGHT"},
    };
    for (int m = 0; m < 6; ++m) {
        for (const auto& key : keys) {
            const std::string text = std::string(tokens[m]) + "<<" + key.token + ">>rest";
            const TokenRun run = runToken(text);
            ASSERT_EQ(run.sent.size(), 1u) << text;
            EXPECT_EQ(run.sent[0], std::string(prefixes[m]) + "{" + key.name + "}") << text;
            EXPECT_EQ(run.rest, "rest") << text;
        }
    }
}

TEST(ModifierKeys, WhatFollowsTheToken) {
    struct Case {
        const char* text;
        std::vector<std::string> sent;
        const char* rest;
    };
    const Case cases[] = {
        {"<<CTRL>>c and more", {"^c"}, " and more"},
        {"<<SHIFT>>a", {"~a"}, ""},
        {"<<CTRL+ALT>><<DELETE>>", {"^@{DELETE}"}, ""},
        {"<<alt>><<f4>>x", {"@{F4}"}, "x"},
        {"<<Ctrl+Shift>><<PageDown>>", {"^~{PGDN}"}, ""},
        {"<<ALT>><<PRINTSCREEN>>", {}, "PRINTSCREEN>>"},
        {"<<CTRL>><<SECS2>>", {}, "SECS2>>"},
        {"<<CTRL>><<ALT>>x", {}, "ALT>>x"},
        {"<<CTRL>>{x", {"^{"}, "x"},
        {"<<SHIFT>>}", {"~}"}, ""},
        {"<<ALT>>^", {"@^"}, ""},
        {"<<CTRL>>", {"^"}, ""},
        {"<<SHIFT+ALT>>é!", {"~@é"}, "!"},
        {"<<CTRL>><", {"^<"}, ""},
    };
    for (const auto& c : cases) {
        const TokenRun run = runToken(c.text);
        EXPECT_EQ(run.sent, c.sent) << c.text;
        EXPECT_EQ(run.rest, c.rest) << c.text;
    }
}

TEST(ModifierKeys, TokenRecognition) {
    EXPECT_EQ(findModifierToken("<<ctrl+alt>>x").index, 4);
    EXPECT_EQ(findModifierToken("<<CTRL+ALT>>x").length, 12u);
    EXPECT_EQ(findModifierToken("<<SHIFT+ALT>>").index, 6);
    EXPECT_EQ(findModifierToken("<<CTRL").index, 0);
    EXPECT_EQ(findModifierToken("<<ENTER>>").index, 0);
    EXPECT_EQ(findModifierToken("x<<CTRL>>").index, 0);
}

}  // namespace
}  // namespace keyloom
