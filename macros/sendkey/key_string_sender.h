// What the interpreter needs of the key-string sender, so that it can be tested with a recorder.
#pragma once

#include <string_view>

namespace keyloom {

class KeyStringSender {
public:
    virtual ~KeyStringSender() = default;
    virtual int Send(std::string_view keyString) = 0;
    virtual void setTokensOnly(bool value) = 0;
};

}  // namespace keyloom
