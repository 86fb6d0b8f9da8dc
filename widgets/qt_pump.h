// The message pump of the logic, on Qt's event loop.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>

#include "platform/message_pump.h"

namespace ostrevin::widgets {

class QtMessagePump : public platform::MessagePump {
  public:
    void processMessages() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }
    void waitAndProcess() override {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
};

}  // namespace ostrevin::widgets
