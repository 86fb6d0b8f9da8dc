// Keyloom: macros from the notification area.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "macros/app/keyloom_app.h"
#include "widgets/quit_on_signal.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Keyloom");
    QApplication::setApplicationDisplayName("Keyloom");
    QApplication::setOrganizationName("Ostrevin");
    // Global key injection needs an X server; a Wayland session without one cannot give it, and
    // the user should hear that instead of meeting a program that silently does nothing.
    const char* display = std::getenv("DISPLAY");
    QString error =
        "Keyloom needs an X11 session (or XWayland with DISPLAY set): typing into "
        "other programs and system-wide hot keys are not available to it here.";
    std::unique_ptr<keyloom::KeyloomApp> keyloom;
    if (display && display[0]) keyloom = keyloom::KeyloomApp::create(&error);
    if (!keyloom) {
        QMessageBox::critical(nullptr, "Keyloom", error);
        return 1;
    }
    ostrevin::widgets::QuitOnSignal quitOnSignal;
    std::vector<std::string> arguments;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) arguments.push_back(args[i].toUtf8().toStdString());
    return keyloom->run(arguments);
}
