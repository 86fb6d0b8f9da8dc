// Lets pending events run while long work goes on, on the one user-interface thread.
#pragma once

namespace ostrevin::platform {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Processes what is pending once, without waiting.
    virtual void processMessages() = 0;
};

}  // namespace ostrevin::platform
