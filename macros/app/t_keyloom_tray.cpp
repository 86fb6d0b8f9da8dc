// The tray form's icon, menu, the list window's place, help and the ways the program ends.
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <cstdio>

#include "macros/app/frm_main.h"
#include "macros/app/keyloom_icon.h"
#include "macros/app/list_position.h"
#include "macros/app/t_keyloom.h"
#include "widgets/about_box.h"
#include "widgets/error_box.h"
#include "widgets/qt_text.h"

#ifndef OSTREVIN_VERSION
#define OSTREVIN_VERSION "0.0.0"
#endif

namespace keyloom {

using ostrevin::widgets::toQString;

namespace {
// The list window is created here and counts as never placed while it stays here.
constexpr int kOffScreen = -2000;
}  // namespace

void TKeyloom::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ostrevin::widgets::showErrorBox(nullptr, toQString(e.what()));
    }
}

void TKeyloom::createMenu() {
    PopupMenu1 = new QMenu;
    PopupMenu1->setObjectName("PopupMenu1");
    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, handler] { guarded(handler); });
        return action;
    };
    Open1 = item(PopupMenu1, "Open1", "&Open", [this] { Open1Click(); });
    Open1->setEnabled(false);
    mnuPrintMacros =
        item(PopupMenu1, "mnuPrintMacros", "&Print Macro List", [this] { mnuPrintMacrosClick(); });
    QMenu* help = PopupMenu1->addMenu("&Help");
    help->setObjectName("mnuHelp");
    mnuOperation = item(help, "mnuOperation", "&Operation", [this] { mnuOperationClick(); });
    mnuShowHints = item(help, "mnuShowHints", "&Show Hints", [this] { mnuShowHintsClick(); });
    mnuShowHints->setCheckable(true);
    N6 = item(help, "N6", "&Frequently Asked Questions", [this] { N6Click(); });
    N5 = item(help, "N5", "&Technical Support", [this] { N5Click(); });
    help->addSeparator();
    N3 = item(help, "N3", "&About...", [this] { N3Click(); });
    PopupMenu1->addSeparator();
    QMenu* web = PopupMenu1->addMenu("&Visit Ostrevin on the Web...");
    web->setObjectName("mnuVisit");
    M1 = item(web, "M1", QString("Main Site (%1)").arg(kWebSite), [this] { M1Click(); });
    U1 = item(web, "U1", "Upgrade Keyloom", [this] { U1Click(); });
    O2 = item(web, "O2", "Other Products", [this] { O2Click(); });
    T1 = item(web, "T1", "Technical Support", [this] { T1Click(); });
    PopupMenu1->addSeparator();
    mnuClose = item(PopupMenu1, "mnuClose", "&Exit", [this] { mnuCloseClick(); });
}

void TKeyloom::FormCreate(TfrmMain& main, ostrevin::platform::Launcher& launcher,
                          bool hostAvailable) {
    frmMain_ = &main;
    launcher_ = &launcher;
    hostAvailable_ = hostAvailable;
    if (!endProgram) endProgram = [] { QCoreApplication::exit(0); };
    // The list window and the help stay reachable through the tray when all windows are hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    pump_.processMessages();
    createMenu();
    TrayIcon1 = std::make_unique<ostrevin::widgets::TrayIcon>(
        keyloomIcon(), "Ostrevin Keyloom - Right Click for Options", PopupMenu1, this);
    TrayIcon1->setOnDoubleClick([this] { guarded([this] { TrayIcon1DblClick(); }); });
    if (hostAvailable_) TrayIcon1->show();
    main.minimizeOnHide = !hostAvailable_;
    main.savePosition = [this] { SavePosition(); };
    main.showHelp = [this](const QString& topic) { ShowHelp(topic); };
    main.endProgram = [this] { endProgram(); };
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        manager.release();
        EndSession();
    });
    connect(qApp, &QGuiApplication::saveStateRequest, this, [](QSessionManager& manager) {
        manager.setRestartHint(QSessionManager::RestartNever);
    });
    pump_.processMessages();
    mnuShowHints->setChecked(catalogue_.showHints());
    Open1->setEnabled(true);
}

void TKeyloom::ShowAtStart() {
    if (catalogue_.firstRun()) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            frmMain_->move(screen->availableGeometry().center() - frmMain_->rect().center());
        frmMain_->show();
        catalogue_.setFirstRun(false);
    } else {
        frmMain_->hide();
    }
    if (hostAvailable_) return;
    if (CloseRequested) return;  // a shortcut's run ends by itself
    // Without a notification area a hidden program could never be reached again. The first
    // start shows the list anyway, but the user must still learn that closing it ends Keyloom.
    if (!frmMain_->isVisible()) {
        SetPosition();
        frmMain_->show();
    }
    auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationDisplayName(),
                                "This desktop has no notification area (system tray), so Keyloom "
                                "shows its macro list instead.\n\nClosing the list ends Keyloom; "
                                "hot keys and window triggers work while it is open.",
                                QMessageBox::Ok, frmMain_);
    box->setObjectName("noTrayBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void TKeyloom::ShowWarning(const QString& text) {
    std::fprintf(stderr, "Keyloom: %s\n", qUtf8Printable(text));
    if (TrayIcon1 && TrayIcon1->visible()) {
        TrayIcon1->icon()->showMessage(QApplication::applicationDisplayName(), text,
                                       QSystemTrayIcon::Warning, 15000);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, frmMain_->isVisible() ? frmMain_ : nullptr);
    box->setObjectName("sessionWarningBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void TKeyloom::SavePosition() {
    writeListPosition(catalogue_.store(),
                      {frmMain_->width(), frmMain_->height(), frmMain_->y(), frmMain_->x()});
}

void TKeyloom::SetPosition() {
    QScreen* screen = frmMain_->screen() ? frmMain_->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect whole = screen ? screen->geometry() : area;
    const auto stored = readListPosition(catalogue_.store(), whole.height());
    if (!stored) {
        frmMain_->move(area.center() - frmMain_->rect().center());
        return;
    }
    const WindowPlace place =
        fitOnScreen(*stored, area.left(), area.top(), area.width(), area.height());
    frmMain_->resize(place.width, place.height);
    frmMain_->move(place.left, place.top);
}

void TKeyloom::Open1Click() {
    if (!Open1->isEnabled()) return;
    SetPosition();
    frmMain_->show();
    frmMain_->raise();
}

void TKeyloom::TrayIcon1DblClick() {
    if (!Open1->isEnabled()) return;
    SetPosition();
    frmMain_->show();
    pump_.processMessages();
    frmMain_->raise();
    frmMain_->activateWindow();
}

void TKeyloom::mnuPrintMacrosClick() {
    frmMain_->mnuPrintClick();
}

void TKeyloom::mnuShowHintsClick() {
    catalogue_.setShowHints(mnuShowHints->isChecked());
}

QString TKeyloom::helpFolder() const {
    return toQString(frmMain_->programFolder.empty() ? catalogue_.programFolder()
                                                     : frmMain_->programFolder);
}

void TKeyloom::ShowHelp(const QString& topic) {
    if (!help_) help_ = std::make_unique<ostrevin::widgets::HelpViewer>("Keyloom Help");
    help_->setWindowIcon(keyloomIcon());
    help_->showTopic(helpFolder() + "Keyloom.html", topic);
}

void TKeyloom::N6Click() {
    if (!help_) help_ = std::make_unique<ostrevin::widgets::HelpViewer>("Keyloom Help");
    help_->setWindowIcon(keyloomIcon());
    help_->showTopic(helpFolder() + "Keyloomfaq.html");
}

void TKeyloom::N3Click() {
    ostrevin::widgets::AboutBox box(
        "About Keyloom", QString("Ostrevin Keyloom %1").arg(OSTREVIN_VERSION),
        QString("Macros from the notification area: typing, hot keys, window triggers and "
                "desktop shortcuts.<br><a href=\"%1\">%1</a>")
            .arg(kWebSite),
        keyloomIcon(), frmMain_->isVisible() ? frmMain_ : nullptr);
    box.exec();
}

void TKeyloom::openPage(const char* path) {
    launcher_->open(std::string(kWebSite) + path, "", "");
}

void TKeyloom::mnuCloseClick() {
    if (frmMain_->x() != kOffScreen) SavePosition();
    endProgram();
}

void TKeyloom::EndSession() {
    // The session is ending: a macro that pauses, waits for a window or types must not go on
    // typing into it, and it runs in an event loop of its own that a main-loop quit never ends.
    if (endAtOnce)
        endAtOnce();
    else
        endProgram();
}

}  // namespace keyloom
