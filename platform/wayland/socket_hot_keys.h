// Hot keys whose presses arrive on a socket of the program's own (a compositor's IPC, the session
// bus): the user-interface thread watches the descriptor and reads the presses off it, so a press
// runs as an event of its own like any other.
#pragma once

#include <vector>

#include "platform/hot_keys.h"

namespace ostrevin::platform {

class SocketHotKeys : public HotKeys {
  public:
    // The descriptor that becomes readable when presses may have arrived.
    virtual int eventFd() const = 0;
    // The other end has gone: no press will come any more.
    virtual bool closed() const = 0;
    // Reads what the socket holds and returns the ids of the hot keys pressed.
    virtual std::vector<int> readPending() = 0;
    // Runs the handler for one press read earlier.
    virtual void deliver(int id) = 0;
    // Gives back every key this program holds; safe to call again, and from a signal's clean-up.
    virtual void unbindAll() = 0;
};

}  // namespace ostrevin::platform
