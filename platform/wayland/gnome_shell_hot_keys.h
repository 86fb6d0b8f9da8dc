// System-wide hot keys as GNOME Shell accelerators, grabbed through the program's shell extension;
// a press comes back as a signal addressed to this connection alone. A combination that the shell
// or another program holds is refused, as the X server refuses a grab another client holds.
//
// The extension releases every grab of a connection that leaves the bus, so a program that was
// killed leaves nothing grabbed; unbindAll() is still called at exit, so that a clean end does not
// depend on it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/gnome_shell_bus.h"
#include "platform/wayland/socket_hot_keys.h"

struct sd_bus_slot;

namespace ostrevin::platform {

class GnomeShellHotKeys : public SocketHotKeys {
  public:
    // The name of the key a virtual-key code stands for, "" when none.
    using KeyName = std::function<std::string(std::uint8_t virtualKey)>;
    // nullptr when the extension does not answer on the session bus.
    static std::unique_ptr<GnomeShellHotKeys> open(KeyName keyName);
    // Key names from the keymap the seat announced (keymapText), or from the one the environment
    // names when the seat has no keyboard yet: for a desktop where no keyboard of ours holds them.
    static KeyName keyNamesOf(const std::string& keymapText);
    ~GnomeShellHotKeys() override;
    GnomeShellHotKeys(const GnomeShellHotKeys&) = delete;
    GnomeShellHotKeys& operator=(const GnomeShellHotKeys&) = delete;

    bool registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) override;
    void unregisterHotKey(int id) override;
    void setHandler(std::function<void(int id)> handler) override { handler_ = std::move(handler); }
    // Whether Shift, Ctrl, Alt or Super is still down. The shell applies the user's modifiers
    // to every keyboard of the seat, so a macro's keys must wait for them. The shell answers one
    // question once they are up; until then this says true without asking again. The key itself
    // is not watched: its press has already been taken by the grab.
    bool keysHeld(int) override;
    bool watchReleases(bool) override { return false; }

    int eventFd() const override { return pollFd_; }
    bool closed() const override { return closed_; }
    std::vector<int> readPending() override;
    void deliver(int id) override;
    void unbindAll() override;

  private:
    GnomeShellHotKeys(gnomeshell::Bus bus, KeyName keyName);
    struct Callbacks;  // the bus's callbacks, which read the members
    // A call waits for its reply on the connection's socket, and sd-bus queues the signals that
    // come meanwhile without the socket staying readable: the wake-up makes the event loop look.
    void wake();
    // Handles what the connection holds: presses, answers, the connection's end.
    void processBus();

    gnomeshell::Bus bus_;
    KeyName keyName_;
    sd_bus_slot* match_ = nullptr;
    sd_bus_slot* releaseWait_ = nullptr;  // the question asked, until its answer is seen
    bool released_ = false;
    int pollFd_ = -1;  // readable when the bus or the wake-up is
    int wakeFd_ = -1;
    std::map<int, std::uint32_t> bound_;  // id -> the shell's action
    std::vector<int> pressed_;
    std::function<void(int)> handler_;
    bool closed_ = false;
};

}  // namespace ostrevin::platform
