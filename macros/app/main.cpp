// Keyloom: macros from the notification area.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstdlib>

#include "common/ini_store.h"
#include "macros/app/frm_main.h"
#include "macros/catalogue/macro_catalogue.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/program_folder.h"
#include "widgets/error_box.h"
#include "widgets/qt_text.h"

namespace {

// Global key injection and hot keys need an X server; a Wayland session without one cannot give
// them, and the user should hear that instead of meeting a program that silently does nothing.
bool haveX11() {
    const char* display = std::getenv("DISPLAY");
    return display && display[0];
}

void centreOnScreen(QWidget& window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - window.rect().center());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!haveX11()) {
        QApplication app(argc, argv);
        QMessageBox::critical(nullptr, "Keyloom",
                              "Keyloom needs an X11 session (or XWayland with DISPLAY set): "
                              "typing into other programs and system-wide hot keys are not "
                              "available to it here.");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Keyloom");
    QApplication::setApplicationDisplayName("Keyloom");
    QApplication::setOrganizationName("Ostrevin");

    ostrevin::IniStore store(keyloom::kCatalogueFileName);
    ostrevin::platform::PosixFileSystem files;
    keyloom::MacroCatalogue catalogue(store, ostrevin::platform::programFolder(), files);

    keyloom::TfrmMain frmMain(catalogue, keyloom::usKeyLabel);
    try {
        frmMain.LoadMacroList();
        catalogue.resetFoundHandles();
        if (catalogue.firstRun()) {
            centreOnScreen(frmMain);
            frmMain.show();
            catalogue.setFirstRun(false);
        }
    } catch (const std::exception& e) {
        ostrevin::widgets::showErrorBox(&frmMain, ostrevin::widgets::toQString(e.what()));
    }
    if (!frmMain.isVisible()) frmMain.show();  // nothing else gives the user a way in yet
    return QApplication::exec();
}
