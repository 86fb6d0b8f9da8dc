// The application object of both programs. An error that escapes a handler the event loop calls
// (a timer tick, a hot key press, a tray or menu command, a socket notifier, a posted call) ends
// that handler alone: it is shown in the standard error box and the program goes on. Every event
// passes through notify(), so this one place spares each handler a try block of its own.
#pragma once

#include <QApplication>
#include <cstdio>
#include <exception>

#include "widgets/error_box.h"

namespace ostrevin::widgets {

class ErrorReportingApplication : public QApplication {
  public:
    ErrorReportingApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            report(QString::fromUtf8(e.what()));
        } catch (...) {
            report("An unexpected error occurred.");
        }
        return false;
    }

  private:
    // A handler that keeps failing (a poll tick on a full disk, every quarter second) must not
    // stack a box on each box: while one is open, further errors go to standard error alone.
    void report(const QString& message) {
        if (boxOpen_) {
            std::fprintf(stderr, "%s: %s\n", qUtf8Printable(applicationDisplayName()),
                         qUtf8Printable(message));
            return;
        }
        boxOpen_ = true;
        showErrorBox(nullptr, message);
        boxOpen_ = false;
    }

    bool boxOpen_ = false;
};

}  // namespace ostrevin::widgets
