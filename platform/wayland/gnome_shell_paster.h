// The paster for GNOME Shell. The shell lets no program set a selection without the keyboard
// focus, but two of its own interfaces do: the program's extension reads both selections type by
// type and sets the primary one, and the compositor's remote-desktop clipboard sets the clipboard
// from a session of the program's own, with every type offered and each read asked of the
// program, which tells when the receiver has read the paste. The restored clipboard lives in that
// session, served from this connection for as long as the program runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/wayland/gnome_shell_bus.h"
#include "platform/wayland/text_paster.h"

namespace ostrevin::platform {

class GnomeShellPaster : public TextPaster {
  public:
    static constexpr int kReadTimeoutMs = 2000, kQuietMs = 50;
    using Contents = std::vector<std::pair<std::string, std::string>>;  // type, bytes

    // nullptr when the extension does not answer or the compositor has no remote-desktop
    // clipboard.
    static std::unique_ptr<GnomeShellPaster> open();
    ~GnomeShellPaster() override;

    bool offer(const std::string& utf8) override;
    void restore() override;
    int eventFd() const override;
    void dispatch() override;

    // What the remote-desktop session's signals say: a program asks for a type of the clipboard
    // the session holds; the session holds the clipboard, or no longer.
    void transferAsked(std::string type, std::uint32_t serial) {
        transfers_.emplace_back(std::move(type), serial);
    }
    void ownerChanged(bool sessionOwns) { sessionOwns_ = sessionOwns; }

  private:
    explicit GnomeShellPaster(gnomeshell::Bus bus) : bus_(std::move(bus)) {}
    bool start();
    bool readSelection(std::uint32_t selection, Contents* contents);
    bool setPrimary(const Contents& contents);
    bool setClipboard(Contents contents, bool pasted);
    void serveTransfers();
    void pump(int timeoutMs);

    gnomeshell::Bus bus_;
    std::string session_;
    sd_bus_slot* slots_[2] = {};
    Contents held_;  // what the session's clipboard offers
    bool heldIsPaste_ = false, sessionOwns_ = false, pending_ = false;
    std::vector<std::pair<std::string, std::uint32_t>> transfers_;  // asked, not yet served
    int pastedReads_ = 0;
    Contents saved_[2];
};

}  // namespace ostrevin::platform
