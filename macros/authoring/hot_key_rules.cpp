#include "macros/authoring/hot_key_rules.h"

#include "macros/catalogue/hot_key_text.h"

namespace keyloom {

int acceptedHotKey(int code) {
    code &= 0xFFFF;
    if ((code & (kHotKeyCtrl | kHotKeyAlt)) == 0) return code & 0xFF;
    return code;
}

}  // namespace keyloom
