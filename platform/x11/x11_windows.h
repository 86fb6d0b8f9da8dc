// Top-level windows through EWMH, with a fallback for servers without a window manager.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/windows.h"

typedef struct _XDisplay Display;

namespace ostrevin::platform {

class X11WindowSystem : public WindowSystem {
  public:
    static std::unique_ptr<X11WindowSystem> open(const char* displayName = nullptr);
    ~X11WindowSystem() override;

    std::vector<WindowInfo> enumerateWindows() override;
    WindowId findWindow(const std::string& title) override;
    WindowId foregroundWindow() override;
    bool setForegroundWindow(WindowId window) override;
    bool windowExists(WindowId window) override;

  private:
    explicit X11WindowSystem(Display* display);
    std::vector<WindowId> clientsFrontToBack();
    std::vector<WindowId> clientsFromTree();
    WindowId clientOf(WindowId frame, int depth);
    std::string titleOf(WindowId window);
    bool isViewable(WindowId window);
    bool hasWindowManager();
    std::optional<std::vector<unsigned long>> windowList(WindowId owner, const char* property);

    Display* display_;
};

}  // namespace ostrevin::platform
