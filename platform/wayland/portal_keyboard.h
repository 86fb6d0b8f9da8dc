// Keyboard output through the desktop portal's remote desktop session, for desktops whose
// compositor offers programs no way of its own (GNOME; KDE Plasma where KWin's fake input is not
// granted). The portal hands each call to a thread of its own, so calls sent without waiting
// overtake each other and keys arrive out of order: each key waits for the portal's reply.
#pragma once

#include <memory>
#include <string>

#include "platform/wayland/dbus_connection.h"
#include "platform/wayland/keymap_keyboard.h"

namespace ostrevin::platform {

class PortalKeyboard : public KeymapKeyboard {
  public:
    // How many times Start is asked again when the portal answers that it cannot start yet (as
    // it does right after it was itself started).
    static constexpr int kStartAttempts = 5;

    // seatKeymap: the keymap text the seat announced, "" for the one the environment names.
    // tokenFile: where the portal's restore token is kept, so the user is asked once; "" for
    // none. nullptr when there is no session bus, no portal with a remote desktop, or the
    // portal refused the session.
    static std::unique_ptr<PortalKeyboard> open(const std::string& seatKeymap,
                                                const std::string& tokenFile);
    ~PortalKeyboard() override;

    // Lets go of the keys and ends the portal session; safe to call again.
    virtual void close();

  protected:
    explicit PortalKeyboard(std::unique_ptr<DbusConnection> bus);
    // The session bus with the remote desktop portal; nullptr when there is none.
    static std::unique_ptr<DbusConnection> portalBus();
    // Loads the keymap and starts the session, asking the user where the portal does.
    bool begin(const std::string& seatKeymap, const std::string& tokenFile);
    // The portal's handle of the running session, "" when none is open.
    const std::string& sessionHandle() const { return session_; }
    // The connection that holds the session, whose name the portal put into its handle.
    sd_bus* connection() const { return bus_->bus(); }

    void sendKey(std::uint8_t keycode, bool down) override;
    void flush() override;

  private:
    bool startSession(const std::string& tokenFile);
    bool createSession();
    bool selectDevices(const std::string& restoreToken, bool persist);
    int start(std::string* restoreToken);

    std::unique_ptr<DbusConnection> bus_;
    std::string session_;  // the session's object path, "" when none is open
};

}  // namespace ostrevin::platform
