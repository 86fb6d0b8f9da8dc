// System-wide hot keys through the desktop portal's global shortcuts: a portal session holds the
// program's shortcuts, each named "keyloom-<id>" with the key as preferred trigger, and presses
// come back as the portal's Activated signal. Closing the session releases them all.
//
// A session's shortcuts are given once: Plasma 5.27 takes them only with CreateSession (its
// BindShortcuts ignores the list and opens the shortcut settings), Plasma 6 and GNOME through
// BindShortcuts. So every change makes a new session with the whole list, and the old one is
// closed; BindShortcuts follows only where CreateSession's answer did not list them. The
// desktop leaves a shortcut without a key when its trigger is taken; registerHotKey then answers
// false, as the X server refuses a grab that another client holds.
//
// A Wayland client cannot see the user's keyboard: keysHeld() answers false and typing starts at
// once (the desktop gives the typed keys modifiers of their own, as the sway bindings found).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/wayland/dbus_connection.h"
#include "platform/wayland/socket_hot_keys.h"

struct sd_bus_slot;

namespace ostrevin::platform {

class PortalGlobalShortcuts : public SocketHotKeys {
  public:
    // The keymap's symbol name of the key a virtual-key code stands for, "" when none.
    using KeyName = std::function<std::string(std::uint8_t virtualKey)>;
    // nullptr when there is no session bus or its portal has no global shortcuts.
    static std::unique_ptr<PortalGlobalShortcuts> open(KeyName keyName);
    ~PortalGlobalShortcuts() override;

    bool registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) override;
    void unregisterHotKey(int id) override;
    void setHandler(std::function<void(int id)> handler) override { handler_ = std::move(handler); }
    bool keysHeld(int) override { return false; }
    bool watchReleases(bool) override { return false; }

    int eventFd() const override;
    bool closed() const override { return closed_; }
    std::vector<int> readPending() override;
    void deliver(int id) override;
    // Closes the session, which releases every shortcut of ours.
    void unbindAll() override;

    // Called by the bus for each Activated signal.
    void activated(const std::string& session, const std::string& shortcut);

  private:
    PortalGlobalShortcuts(std::unique_ptr<DbusConnection> bus, KeyName keyName);
    // Replaces the session by one that holds every wanted shortcut; fills bound_.
    void rebind();
    // shortcutsListed: the desktop answered with the shortcuts it bound (it took them from the
    // session's options).
    bool createSession(const std::string& token, bool* shortcutsListed);
    void bindShortcuts();
    void closeSession();
    void forgetUnused();
    // Appends the a(sa{sv}) of the wanted shortcuts.
    int appendShortcuts(struct sd_bus_message* message) const;
    // Reads an a(sa{sv}) of shortcuts, keeping those the desktop gave a key.
    void readBound(struct sd_bus_message* results);

    std::unique_ptr<DbusConnection> bus_;
    KeyName keyName_;
    sd_bus_slot* activatedSlot_ = nullptr;
    std::string session_;                // object path, "" when none is open
    std::map<int, std::string> wanted_;  // id -> trigger
    std::set<int> bound_;                // ids the desktop gave their key
    std::vector<int> pending_;           // presses read, not yet returned
    std::function<void(int)> handler_;
    bool closed_ = false;
};

}  // namespace ostrevin::platform
