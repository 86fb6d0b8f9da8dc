// The server's keymap as the keymap model reads it: the current group's symbols of every key.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/x11/keymap_model.h"

typedef struct _XDisplay Display;

namespace ostrevin::platform {

struct KeymapSnapshot {
    std::vector<KeySnapshot> keys;
    std::uint8_t level3Keycode = 0;
    bool capsLocked = false;
};

KeymapSnapshot readKeymap(Display* display);

}  // namespace ostrevin::platform
