// System-wide hot keys as passive key grabs on the root window, on a connection of their own.
//
// A grab matches the modifier state exactly, so each combination is grabbed once for every state
// of the lock modifiers (CapsLock, NumLock, ScrollLock); their masks come from the live modifier
// map and are read again, and every grab renewed, when the keyboard mapping changes. A
// combination that another client holds is refused by the server (BadAccess); the grabs already
// made for it are then given back and registration fails.
//
// The event loop watches connectionFd() and calls readPending(); before it sleeps it asks
// hasQueuedEvents(), because Xlib may have read events off the socket while waiting for a reply.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/hot_keys.h"
#include "platform/x11/keymap_model.h"

typedef struct _XDisplay Display;

namespace ostrevin::platform {

class X11HotKeys : public HotKeys {
  public:
    // nullptr when the display cannot be opened or lacks the XKEYBOARD extension.
    static std::unique_ptr<X11HotKeys> open(const char* displayName = nullptr);
    ~X11HotKeys() override;

    bool registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) override;
    void unregisterHotKey(int id) override;
    void setHandler(std::function<void(int id)> handler) override { handler_ = std::move(handler); }
    bool keysHeld(int id) override;
    bool watchReleases(bool on) override;

    int connectionFd() const;
    bool hasQueuedEvents() const;
    // Reads every event that has arrived and returns the ids of the hot keys pressed, for
    // deliver(). The handler is not called from here: it runs a macro that waits in nested event
    // loops, and the loop does not watch a socket again while that socket's own handler runs.
    std::vector<int> readPending();
    void deliver(int id);

  private:
    struct Grab {
        unsigned modifiers = 0;
        std::uint8_t virtualKey = 0;
        std::uint8_t keycode = 0;
        unsigned mask = 0;
    };

    explicit X11HotKeys(Display* display);
    void readMapping();
    bool grab(Grab& grab);
    void ungrab(const Grab& grab);
    std::vector<unsigned> lockStates() const;
    int idOfPress(std::uint8_t keycode, unsigned state) const;

    Display* display_;
    unsigned long root_ = 0;
    int xiOpcode_ = -1;
    int watchDepth_ = 0;
    KeymapModel model_;
    unsigned altMask_ = 0, numLockMask_ = 0, scrollLockMask_ = 0;
    std::vector<std::uint8_t> modifierKeycodes_;  // Shift, Ctrl and Alt keys
    std::map<int, Grab> grabs_;
    std::function<void(int)> handler_;
};

}  // namespace ostrevin::platform
