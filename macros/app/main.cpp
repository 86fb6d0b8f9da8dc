// Keyloom: macros from the notification area.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "macros/app/keyloom_app.h"
#include "widgets/error_reporting_application.h"
#include "widgets/quit_on_signal.h"

int main(int argc, char** argv) {
    // The arguments are macro names: read them before the toolkit sees them, and give it none,
    // so that a macro named "-reverse" or "-style" is run rather than taken as a toolkit option.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Global key injection needs an X server or a compositor with a virtual keyboard. Without
    // either the toolkit cannot even open a window to say so, so the reason goes to standard
    // error, where the session log keeps it.
    const char* display = std::getenv("DISPLAY");
    const bool wayland = keyloom::KeyloomApp::waylandSession();
    if (wayland && !std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "wayland");
    if (!wayland && (!display || !display[0])) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(keyloom::KeyloomApp::displaySessionError()));
        return 1;
    }
    int toolkitArgc = 1;
    ostrevin::widgets::ErrorReportingApplication app(toolkitArgc, argv);
    QApplication::setApplicationName("Keyloom");
    QApplication::setApplicationDisplayName("Keyloom");
    QApplication::setOrganizationName("Ostrevin");
    std::unique_ptr<keyloom::KeyloomApp> keyloom;
    ostrevin::widgets::QuitOnSignal quitOnSignal([&keyloom] {
        if (keyloom) keyloom->cleanUpForExit();
    });
    // The X server may still lack what typing and hot keys need: the user hears that instead of
    // meeting a program that silently does nothing.
    QString error;
    keyloom = keyloom::KeyloomApp::create(&error);
    if (!keyloom) {
        QMessageBox::critical(nullptr, "Keyloom", error);
        return 1;
    }
    keyloom->setEndAtOnce([&quitOnSignal] { quitOnSignal.quitNow(); });
    return keyloom->run(arguments);
}
