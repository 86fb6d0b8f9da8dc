// The desktop's top-level windows with their titles and visibility, for a caller that asks often
// (the window-trigger poll): every question of one enumeration goes to the server in one batch on
// a connection of its own, instead of two round trips a window. Without an EWMH window manager,
// and for everything but the enumeration, the given window system answers.
#pragma once

#include <memory>

#include "platform/windows.h"

struct xcb_connection_t;

namespace ostrevin::platform {

class X11WindowList : public WindowSystem {
  public:
    // nullptr when the display cannot be reached.
    static std::unique_ptr<X11WindowList> open(WindowSystem& fallback);
    ~X11WindowList() override;

    std::vector<WindowInfo> enumerateWindows() override;
    WindowId findWindow(const std::string& title) override { return fallback_.findWindow(title); }
    WindowId foregroundWindow() override { return fallback_.foregroundWindow(); }
    bool setForegroundWindow(WindowId window) override {
        return fallback_.setForegroundWindow(window);
    }
    bool windowExists(WindowId window) override;

  private:
    X11WindowList(xcb_connection_t* connection, unsigned root, WindowSystem& fallback);
    unsigned atom(const char* name);

    xcb_connection_t* connection_;
    unsigned root_;
    WindowSystem& fallback_;
    unsigned supportingCheck_ = 0, stacking_ = 0, netName_ = 0, utf8_ = 0;
};

}  // namespace ostrevin::platform
