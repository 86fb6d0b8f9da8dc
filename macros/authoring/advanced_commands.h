// What the advanced page's menus offer, and the exact token text each command and step dialog
// puts into the advanced macro text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keyloom {

struct MenuCommand {
    const char* item;   // the text in the drop-down list
    const char* hint;   // shown before the command acts; nullptr for none
    const char* token;  // inserted as it stands; nullptr when the command opens a dialog or prompt
};

enum class MenuId { SpecialKeys, MoreKeys, DateTime, Repeat, Misc };

const std::vector<MenuCommand>& menuCommands(MenuId menu);

// The Misc menu's entries that open something instead of inserting a fixed token.
enum MiscIndex : int {
    kMiscInputBox = 0,
    kMiscWriteValue = 1,
    kMiscRunMacro = 2,
    kMiscWaitForWindow = 3,
    kMiscFocus = 4,
    kMiscExecute = 5,
};
enum RepeatIndex : int { kRepeatStart = 0, kRepeatEnd = 1 };

extern const char* const kDelayHint;

// Digit fields and titles are trimmed of blanks and control characters at both ends.
std::string waitToken(bool minutes, std::string_view digits);
std::string repeatToken(std::string_view digits);
std::string inputToken(std::string_view title);
std::string lookForToken(std::string_view title, std::string_view separator, bool minutes,
                         std::string_view digits);
// Fields as typed, always joined by "~~".
std::string executeToken(std::string_view command, std::string_view parameters,
                         std::string_view folder);
// Prompt answers: nothing for an empty answer.
std::string runToken(std::string_view macroName);
std::string focusToken(std::string_view title);

}  // namespace keyloom
