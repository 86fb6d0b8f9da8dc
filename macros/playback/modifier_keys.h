// Modifier tokens of advanced macros: "<<CTRL>>", "<<ALT>>", "<<SHIFT>>", "<<CTRL+ALT>>",
// "<<CTRL+SHIFT>>" and "<<SHIFT+ALT>>" apply to the one character or special-key token that
// follows, and become one key string with the sender's prefix characters.
#pragma once

#include <string>
#include <string_view>

#include "macros/sendkey/key_string_sender.h"

namespace keyloom {

struct ModifierToken {
    int index = 0;  // 1 to 6; 0 when the text starts with no modifier token
    std::size_t length = 0;
};

// Tests the six tokens in their order, without regard to case.
ModifierToken findModifierToken(std::string_view text);

// The key-string prefix of a modifier index: "^", "@", "~", "^@", "^~" or "~@".
std::string_view modifierPrefix(int index);

// The text starts with a modifier token; sends what it applies to and returns the rest.
std::string runModifierToken(std::string_view text, const ModifierToken& token,
                             KeyStringSender& sender);

// The text starts right after a modifier token. A special-key token there is sent with the
// modifier and removed; anything else loses only its "<<", so that it is typed as text.
std::string SendModifiedKey(std::string_view text, int index, KeyStringSender& sender);

}  // namespace keyloom
