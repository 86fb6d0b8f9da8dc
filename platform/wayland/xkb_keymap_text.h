// The keymap the virtual keyboard uploads: the user's own keys, with characters the layout lacks
// put on keys the layout leaves empty. It is written out whole, so that the compositor compiles
// it without any include file of its own.
#pragma once

#include <string>
#include <vector>

#include "platform/x11/keymap_model.h"

struct xkb_keymap;

namespace ostrevin::platform {

// Every keycode from 8 to 255 in the first layout of the keymap, empty ones included.
std::vector<KeySnapshot> keysOfKeymap(xkb_keymap* keymap);

// The symbol name of the key a virtual key stands for ("F5", "a", "odiaeresis"), as key bindings
// name keys; "" when the layout has no such key.
std::string keysymNameOf(const KeymapModel& model, std::uint8_t virtualKey);

// The keys compiled into a complete keymap text; "" when they do not compile.
std::string composeKeymap(const std::vector<KeySnapshot>& keys);

}  // namespace ostrevin::platform
