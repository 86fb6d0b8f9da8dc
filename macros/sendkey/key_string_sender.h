// What the interpreter needs of the key-string sender, so that it can be tested with a recorder.
#pragma once

#include <string_view>

namespace keyloom {

class KeyStringSender {
  public:
    virtual ~KeyStringSender() = default;
    virtual int Send(std::string_view keyString) = 0;
    virtual void setTokensOnly(bool value) = 0;
    // Around a whole macro text that is then sent piece by piece: lets the keyboard make every
    // character of it typeable at once, before the first key.
    virtual void beginText(std::string_view) {}
    virtual void endText() {}
};

}  // namespace keyloom
