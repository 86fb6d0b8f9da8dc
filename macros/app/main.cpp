// Keyloom: macros from the notification area.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "macros/app/keyloom_app.h"
#include "widgets/quit_on_signal.h"

int main(int argc, char** argv) {
    // The arguments are macro names: read them before the toolkit sees them, and give it none,
    // so that a macro named "-reverse" or "-style" is run rather than taken as a toolkit option.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    QApplication::setApplicationName("Keyloom");
    QApplication::setApplicationDisplayName("Keyloom");
    QApplication::setOrganizationName("Ostrevin");
    std::unique_ptr<keyloom::KeyloomApp> keyloom;
    ostrevin::widgets::QuitOnSignal quitOnSignal([&keyloom] {
        if (keyloom) keyloom->cleanUpForExit();
    });
    // Global key injection needs an X server; a Wayland session without one cannot give it, and
    // the user should hear that instead of meeting a program that silently does nothing.
    const char* display = std::getenv("DISPLAY");
    QString error =
        "Keyloom needs an X11 session (or XWayland with DISPLAY set): typing into "
        "other programs and system-wide hot keys are not available to it here.";
    if (display && display[0]) keyloom = keyloom::KeyloomApp::create(&error);
    if (!keyloom) {
        QMessageBox::critical(nullptr, "Keyloom", error);
        return 1;
    }
    return keyloom->run(arguments);
}
