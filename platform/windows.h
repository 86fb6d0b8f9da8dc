// Top-level windows of the desktop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrevin::platform {

using WindowId = std::uint64_t;

struct WindowInfo {
    WindowId id = 0;
    std::string title;  // UTF-8
    bool visible = false;
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // Front to back.
    virtual std::vector<WindowInfo> enumerateWindows() = 0;
    // The first top-level window whose title equals the given one exactly; 0 when none.
    virtual WindowId findWindow(const std::string& title) = 0;
    virtual WindowId foregroundWindow() = 0;
    virtual bool setForegroundWindow(WindowId window) = 0;
    // Whether the window still exists. Where identifiers are reused once their window is gone
    // (X11 hands a closed window's id to the next client), this is how a caller that remembers
    // ids learns to forget them; identifiers never reused may keep the default.
    virtual bool windowExists(WindowId) { return true; }
};

}  // namespace ostrevin::platform
