// Puts a text where the focused program pastes it from, for characters that no key of the user's
// layout carries: desktops that take only the layout's keys drop them, but a paste arrives as it
// is. The user's own clipboard is put back once the paste has been read.
#pragma once

#include <string>

namespace ostrevin::platform {

class TextPaster {
  public:
    virtual ~TextPaster() = default;
    // Saves what the clipboard and the primary selection hold, then puts the text on both (a
    // text field pastes the clipboard, a terminal the primary selection). False when either
    // could not be saved or set: nothing is pasted then, and the user's selections are untouched.
    virtual bool offer(const std::string& utf8) = 0;
    // Called once the paste key has gone out: waits, for a bounded time and reading only its
    // own connection, until the receiver has read the text, then gives both selections back as
    // they were saved.
    virtual void restore() = 0;
    // The descriptor that becomes readable when a program asks for a selection this paster
    // holds (the restored ones live in this program on Wayland); -1 when none, or once the
    // connection behind it has gone.
    virtual int eventFd() const { return -1; }
    // Serves what has arrived on eventFd, without waiting.
    virtual void dispatch() {}
};

}  // namespace ostrevin::platform
