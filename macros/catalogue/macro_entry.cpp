#include "macros/catalogue/macro_entry.h"

namespace keyloom {

int listIconFor(int type) {
    switch (type) {
        case 1: return 0;
        case 2: return 1;
        case 3: return 2;
        case 4: return 1;
        default: return -1;
    }
}

const char* listDescriptionFor(int type) {
    switch (type) {
        case 1: return " - Starts an Application or Document";
        case 2: return " - Plays back Keystrokes";
        case 3: return " - Plays back Mouse and Keyboard";
        case 4: return " - Advanced Macro";
        default: return "";
    }
}

const char* typeLabelFor(int type) {
    switch (type) {
        case 1: return "Start an Application or Launch a Document";
        case 2: return "Playback Keystrokes";
        case 3: return "Playback Mouse and Keyboard";
        case 4: return "Playback Manually Created Keystrokes";
        default: return "";
    }
}

}  // namespace keyloom
