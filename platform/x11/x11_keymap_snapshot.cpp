#include "platform/x11/x11_keymap_snapshot.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstring>
#include <map>
#include <string>

namespace ostrevin::platform {

KeymapSnapshot readKeymap(Display* display) {
    KeymapSnapshot snapshot;
    XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb) return snapshot;
    XkbGetNames(display, XkbKeyNamesMask | XkbKeyTypeNamesMask, xkb);
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    snapshot.capsLocked = state.locked_mods & LockMask;
    std::map<Atom, bool> keypadTypes;
    for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
        KeySnapshot key;
        key.keycode = static_cast<std::uint8_t>(kc);
        if (xkb->names && xkb->names->keys)
            key.name = std::string(xkb->names->keys[kc].name,
                                   strnlen(xkb->names->keys[kc].name, XkbKeyNameLength));
        const int groups = XkbKeyNumGroups(xkb, kc);
        if (groups > 0) {
            const int group = state.group < groups ? state.group : 0;
            const int width = XkbKeyGroupWidth(xkb, kc, group);
            for (int level = 0; level < 4 && level < width; ++level)
                key.syms[static_cast<std::size_t>(level)] =
                    static_cast<std::uint32_t>(XkbKeySymEntry(xkb, kc, level, group));
            const Atom type = XkbKeyKeyType(xkb, kc, group)->name;
            if (!keypadTypes.count(type)) {
                char* name = XGetAtomName(display, type);
                keypadTypes[type] = name && std::string(name) == "KEYPAD";
                if (name) XFree(name);
            }
            key.keypad = keypadTypes[type];
        }
        if (key.syms[0] == 0xfe03 && !snapshot.level3Keycode) snapshot.level3Keycode = key.keycode;
        snapshot.keys.push_back(std::move(key));
    }
    XkbFreeKeyboard(xkb, 0, True);
    return snapshot;
}

}  // namespace ostrevin::platform
