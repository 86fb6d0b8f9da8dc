// System-wide hot keys as bindings of the compositor's own, set over its i3-compatible IPC (sway
// and its relatives): each hot key is "bindsym --no-repeat <keys> nop <tag>", and a press comes
// back as a binding event naming the tag. A combination that the user's configuration binds is
// refused, as the X server refuses a grab that another client holds; bindings set at run time by
// other programs cannot be seen and are not.
//
// The key names come from the user's keymap, so that a stored value means the key the user sees.
// A Wayland client cannot see the user's keyboard state: keysHeld() answers false, and typing
// starts at once. The compositor gives the virtual keyboard's keys its own modifiers, so modifiers
// the user still holds do not change what is typed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/wayland/socket_hot_keys.h"
#include "platform/wayland/sway_ipc_codec.h"

namespace ostrevin::platform {

class SwayHotKeys : public SocketHotKeys {
  public:
    // The name of the key a virtual-key code stands for, "" when none.
    using KeyName = std::function<std::string(std::uint8_t virtualKey)>;
    // nullptr when neither SWAYSOCK nor I3SOCK names a socket that answers.
    static std::unique_ptr<SwayHotKeys> open(KeyName keyName);
    ~SwayHotKeys() override;

    bool registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) override;
    void unregisterHotKey(int id) override;
    void setHandler(std::function<void(int id)> handler) override { handler_ = std::move(handler); }
    bool keysHeld(int) override { return false; }
    bool watchReleases(bool) override { return false; }

    int eventFd() const override { return eventFd_; }
    bool closed() const override { return closed_; }
    std::vector<int> readPending() override;
    void deliver(int id) override;
    // Removes every binding of ours.
    void unbindAll() override;

  private:
    SwayHotKeys(int commandFd, int eventFd, KeyName keyName);
    std::optional<std::string> request(std::uint32_t type, const std::string& payload);
    std::string comboOf(unsigned modifiers, std::uint8_t virtualKey) const;

    int commandFd_, eventFd_;
    KeyName keyName_;
    std::string tagPrefix_;
    swayipc::Reader commandReader_, eventReader_;
    std::map<int, std::string> bound_;  // id -> combination as bound
    std::function<void(int)> handler_;
    bool closed_ = false;
};

}  // namespace ostrevin::platform
