// The list window's place in [Position] of the catalogue: written together by SavePosition and
// read back by SetPosition with the stored defaults.
#pragma once

#include <optional>

#include "common/ini_store.h"

namespace keyloom {

struct WindowPlace {
    int width = 0;
    int height = 0;
    int top = 0;
    int left = 0;
    bool operator==(const WindowPlace&) const = default;
};

// The stored place, or nothing when no position was ever saved (the window is then centred).
// Missing companions of a stored Width take their defaults, which depend on the screen height.
std::optional<WindowPlace> readListPosition(const ostrevin::IniStore& store, int screenHeight);

// Width, Height, Top and Left in that order, as one replacement of the file.
void writeListPosition(ostrevin::IniStore& store, const WindowPlace& place);

// Keeps a stored place reachable when the screen shrank or a monitor went away: the window is
// moved (never resized beyond the screen) so that all of it lies on the screen.
WindowPlace fitOnScreen(WindowPlace place, int screenLeft, int screenTop, int screenWidth,
                        int screenHeight);

}  // namespace keyloom
