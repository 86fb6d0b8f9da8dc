// One macro of the catalogue, as stored in its [Macro<n>] section.
#pragma once

#include <string>

namespace keyloom {

enum class MacroType : int {
    LaunchApplication = 1,
    RecordedKeystrokes = 2,
    RecordedMouseAndKeyboard = 3,
    AdvancedMacro = 4,
};

struct MacroEntry {
    std::string name;
    int type = 0;  // a MacroType code; anything else runs nothing
    int hotKey = 0;
    std::string fileName;
    std::string trigger;
    int speed = 1;
    std::string foundHandle;
};

// The icon of the list window's small image list for a Type; -1 for none.
int listIconFor(int type);
// " - Advanced Macro" and its kin, shown after the name in the status bar; "" for other types.
const char* listDescriptionFor(int type);
// The properties dialog's label for the type; "" for other types.
const char* typeLabelFor(int type);

}  // namespace keyloom
