// Lets pending events run while long work goes on, on the one user-interface thread.
#pragma once

namespace ostrevin::platform {

class MessagePump {
  public:
    virtual ~MessagePump() = default;
    // Processes what is pending once, without waiting.
    virtual void processMessages() = 0;
    // Waits until something is pending, then processes it: for loops that wait on timers or
    // other events without spinning.
    virtual void waitAndProcess() { processMessages(); }
};

}  // namespace ostrevin::platform
