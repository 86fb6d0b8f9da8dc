// Top-level windows as the compositor lists them to any client that asks (wlroots' foreign
// toplevel list). The list has no stacking order: windows go front to back by when they were last
// activated, the newest first among those never activated. Each window gets a number of ours,
// counted up and never reused in the run, since the protocol's handles have no identity of their
// own that a stored FoundHandle could keep.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "platform/windows.h"

struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct wl_array;

namespace ostrevin::platform {

class WaylandSession;

class WaylandWindows : public WindowSystem {
  public:
    // nullptr when the compositor lists no windows.
    static std::unique_ptr<WaylandWindows> open(WaylandSession& session);
    ~WaylandWindows() override;

    std::vector<WindowInfo> enumerateWindows() override;
    WindowId findWindow(const std::string& title) override;
    WindowId foregroundWindow() override;
    bool setForegroundWindow(WindowId window) override;

    struct Toplevel {
        WaylandWindows* owner = nullptr;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        WindowId id = 0;
        std::string title, pendingTitle;
        bool activated = false, minimized = false, pendingActivated = false,
             pendingMinimized = false, announced = false;
    };
    // Listeners of the manager and the handles.
    void added(zwlr_foreign_toplevel_handle_v1* handle);
    void done(Toplevel& toplevel);
    void closed(Toplevel& toplevel);

  private:
    explicit WaylandWindows(WaylandSession& session);
    void refresh();

    WaylandSession& session_;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::list<Toplevel> toplevels_;  // front to back; stable addresses for the listeners
    WindowId nextId_ = 1;
};

}  // namespace ostrevin::platform
