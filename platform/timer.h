// A repeating timer whose ticks arrive on the user-interface thread.
#pragma once

#include <functional>

namespace ostrevin::platform {

class Timer {
  public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual void setOnTick(std::function<void()> onTick) = 0;
};

}  // namespace ostrevin::platform
