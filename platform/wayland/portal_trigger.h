// How a hot key is named to the desktop portal's global shortcuts: modifiers and key joined by
// "+" ("CTRL+ALT+F5", "SHIFT+A"), the key as the desktop's shortcut editor names it. KDE reads
// the name as a key sequence text, which knows some keys by names of its own ("PgUp" for the
// keysym "Prior") and letters in capitals; a key it cannot name gives "".
#pragma once

#include <string>

namespace ostrevin::platform {

// modifiers: the HotKeyModifier bits; keysymName: the keymap's symbol name of the key ("F5",
// "a", "Prior"). "" when the key has no name the desktop reads.
std::string portalTrigger(unsigned modifiers, const std::string& keysymName);

}  // namespace ostrevin::platform
