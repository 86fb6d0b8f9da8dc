// The desktop's windows as the window manager's script reports them, in our own terms. A report is
// the whole list, front to back, one window a line: the manager's id for it, its flags ("v" shown:
// not minimized and on the current desktop, "a" active) and its caption, the three separated by
// tabs, with backslash, tab and newline in the caption written as \\, \t and \n. Each window gets
// a number of ours, counted up and never reused in the run, so that a stored FoundHandle never
// names a later window that happens to take a closed one's place.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows.h"

namespace ostrevin::platform {

class KWinWindowList {
  public:
    // Replaces the list with the report's. Lines that cannot be one of the manager's windows (an
    // id with characters a UUID has not, a missing field) are left out, since the id is written
    // into the activation script later.
    void apply(std::string_view report);

    const std::vector<WindowInfo>& windows() const { return windows_; }
    WindowId active() const { return active_; }
    // The manager's id of a window listed now; "" when it is not.
    std::string managerId(WindowId window) const;

  private:
    std::vector<WindowInfo> windows_;
    std::map<std::string, WindowId> ids_;  // of the windows listed now
    WindowId active_ = 0;
    WindowId nextId_ = 1;
};

}  // namespace ostrevin::platform
