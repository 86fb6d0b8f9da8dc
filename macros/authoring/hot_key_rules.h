// What the hot key fields accept as a combination.
#pragma once

namespace keyloom {

// A key with no modifier, or with Shift alone, is no valid combination: its modifiers are
// replaced by none.
int acceptedHotKey(int code);

}  // namespace keyloom
