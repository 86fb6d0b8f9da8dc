// The title match that a wait for a window and the window-trigger poll both use, each with its
// own search state.
#pragma once

#include <string>

#include "platform/windows.h"

namespace keyloom {

struct WindowSearchState {
    std::string TargetTitle;
    bool WindowFound = false;
    ostrevin::platform::WindowId FoundWindow = 0;
};

// Titles are compared in their first 249 characters, without surrounding blanks and control
// characters, with the ASCII letters in one case.
bool titlesMatch(const std::string& windowTitle, const std::string& target);

// The enumeration callback: true means that enumeration goes on.
bool MatchWindowTitle(const ostrevin::platform::WindowInfo& window, WindowSearchState& state);

}  // namespace keyloom
