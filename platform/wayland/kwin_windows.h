// Top-level windows on KWin, which lists its windows to no client: a script of ours runs inside
// the window manager and reports the whole list over the session bus, to an object this
// connection exports, each time it changes. The list is kept here and the bus is read when the
// program looks, so a look (the trigger poll's, several a second) costs no round trip. Activating
// a window takes a short script of its own, whose answer is waited for with a bound.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/wayland/kwin_window_list.h"
#include "platform/windows.h"

struct sd_bus;
struct sd_bus_slot;

namespace ostrevin::platform {

class KWinWindows : public WindowSystem {
  public:
    // nullptr when no KWin is on the session bus, or it would not run the script.
    static std::unique_ptr<KWinWindows> open();
    ~KWinWindows() override;
    KWinWindows(const KWinWindows&) = delete;
    KWinWindows& operator=(const KWinWindows&) = delete;

    std::vector<WindowInfo> enumerateWindows() override;
    WindowId findWindow(const std::string& title) override;
    WindowId foregroundWindow() override;
    bool setForegroundWindow(WindowId window) override;
    bool windowExists(WindowId window) override;

    // Unloads the scripts from the window manager and removes their files; safe to call again,
    // and from a signal's clean-up. The list stays as it was last reported.
    void unload();

    // What the exported object receives.
    void reported(const char* sender, const char* report);
    void activated(const char* sender, const char* token, const char* result);

  private:
    KWinWindows(sd_bus* bus, std::string manager);
    bool start();
    // Loads the source as a script under the plugin name and runs it; file receives the path of
    // the file it was written to (to be removed by the caller), "" when none was made.
    bool runScript(const std::string& source, const std::string& plugin, std::string& file);
    void unloadScript(const std::string& plugin);
    void readBus();
    bool waitFor(const std::function<bool()>& done, int milliseconds);
    std::string fill(std::string script) const;

    sd_bus* bus_;
    sd_bus_slot* slot_ = nullptr;
    std::string manager_;  // the window manager's unique name: reports from others are ignored
    std::string plugin_;   // the reporting script's name, "" once unloaded
    std::string scriptFile_;
    bool reportSeen_ = false;
    KWinWindowList list_;
    std::string activationToken_;
    int activationResult_ = -1;
    unsigned activations_ = 0;
};

}  // namespace ostrevin::platform
