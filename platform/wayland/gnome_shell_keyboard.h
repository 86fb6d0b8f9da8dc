// Keyboard output on GNOME through the program's shell extension, which plays whole batches of
// keys inside the compositor: the portal's remote desktop takes one key a call, each waiting for
// its reply, which holds typing to some 800 characters a second. The portal's session is still
// started first, so the desktop asks the user as before, and the extension types only for a
// program that holds one; without the extension the keys go through the portal as ever.
//
// A sender thread keeps one batch in flight: keys keep their order, whatever was queued meanwhile
// goes out as the next batch, and a macro that pauses after a key has it typed during the pause,
// not after. The batches go out on the connection that holds the portal's session, since the
// extension checks the session against the caller; that connection is the thread's alone while
// it runs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/wayland/portal_keyboard.h"

namespace ostrevin::platform {

class GnomeShellKeyboard : public PortalKeyboard {
  public:
    // Key events in one call: enough to spare the bus's per-call cost, few enough that the
    // shell is busy with one for a few milliseconds only.
    static constexpr std::size_t kBatchLimit = 400;

    // As PortalKeyboard::open; the extension's way when it types for this session.
    static std::unique_ptr<PortalKeyboard> open(const std::string& seatKeymap,
                                                const std::string& tokenFile);
    ~GnomeShellKeyboard() override;

    // Lets go of the keys once everything queued is typed, then ends the session.
    void close() override;

  protected:
    void sendKey(std::uint8_t keycode, bool down) override;
    void flush() override;

  private:
    using Key = std::pair<std::uint8_t, bool>;

    explicit GnomeShellKeyboard(std::unique_ptr<DbusConnection> bus)
        : PortalKeyboard(std::move(bus)) {}
    bool typeBatch(const std::vector<Key>& keys);
    void run();
    void drain();
    void stopSender();
    void takeBackFailed();

    std::thread sender_;
    std::mutex mutex_;
    std::condition_variable wake_, drained_;
    std::vector<Key> queue_;  // keys not yet sent
    bool inFlight_ = false;   // a batch awaits its reply
    bool stopping_ = false;
    bool failed_ = false;  // the extension stopped typing; queue_ goes to the portal
};

}  // namespace ostrevin::platform
