// Top-level windows as GNOME Shell lists them through the program's shell extension, front to
// back by stacking. Ids are the shell's own window ids, which it never reuses in a session, so a
// stored FoundHandle never names a later window.
#pragma once

#include <memory>

#include "platform/wayland/gnome_shell_bus.h"
#include "platform/windows.h"

namespace ostrevin::platform {

class GnomeShellWindows : public WindowSystem {
  public:
    // nullptr when the extension does not answer on the session bus.
    static std::unique_ptr<GnomeShellWindows> open();

    std::vector<WindowInfo> enumerateWindows() override;
    WindowId findWindow(const std::string& title) override;
    WindowId foregroundWindow() override;
    bool setForegroundWindow(WindowId window) override;

  private:
    explicit GnomeShellWindows(gnomeshell::Bus bus) : bus_(std::move(bus)) {}
    // The focused window's id (0 when none) and the windows; nothing when the shell did not answer.
    bool list(WindowId& focused, std::vector<WindowInfo>& windows);

    gnomeshell::Bus bus_;
};

}  // namespace ostrevin::platform
