#include "dregmoor/ui/t_form2.h"

#include <QApplication>

#include "widgets/error_box.h"

namespace ostrevin::dregmoor {

TForm2::TForm2(TForm1& form1, std::function<void(const QString&)> showHelp,
               std::function<void(const QString&)> openPage, const QIcon& icon)
    : form1_(form1), showHelp_(std::move(showHelp)), openPage_(std::move(openPage)) {
    setObjectName("Form2");
    PopupMenu1 = new QMenu;
    PopupMenu1->setObjectName("PopupMenu1");
    connect(this, &QObject::destroyed, PopupMenu1, [menu = PopupMenu1] { delete menu; });
    Open1 = item(PopupMenu1, "Open1", "&Open");
    PopupMenu1->addSeparator()->setObjectName("N5");
    QMenu* help = PopupMenu1->addMenu("&Help");
    help->setObjectName("Help1Menu");
    Help1 = help->menuAction();
    Help1->setObjectName("Help1");
    G1 = item(help, "G1", "&Getting Started");
    N2 = item(help, "N2", "&How to use Dregmoor");
    T1 = item(help, "T1", "&Technical Support");
    QMenu* web = PopupMenu1->addMenu("&Ostrevin on the Web...");
    web->setObjectName("Web1Menu");
    Web1 = web->menuAction();
    Web1->setObjectName("Web1");
    Home1 = item(web, "Home1", "Ostrevin &Home Page");
    N6 = item(web, "N6", "&Other Products");
    N7 = item(web, "N7", "&Technical Support");
    PopupMenu1->addSeparator()->setObjectName("N1");
    mnuClose = item(PopupMenu1, "mnuClose", "&Exit");

    connect(Open1, &QAction::triggered, this, &TForm2::Open1Click);
    connect(G1, &QAction::triggered, this, [this] { showHelp_("Getting_Started"); });
    connect(N2, &QAction::triggered, this, [this] { showHelp_("Operation"); });
    connect(T1, &QAction::triggered, this, [this] { openPage_(kSupportPage); });
    connect(Home1, &QAction::triggered, this, [this] { openPage_(kHomePage); });
    connect(N6, &QAction::triggered, this, [this] { openPage_(kProductsPage); });
    connect(N7, &QAction::triggered, this, [this] { openPage_(kSupportPage); });
    connect(mnuClose, &QAction::triggered, this, &TForm2::mnuCloseClick);

    TrayIcon1 = std::make_unique<widgets::TrayIcon>(
        icon, "Pelthar Dregmoor - Right Click for Options", PopupMenu1, this);
    TrayIcon1->setOnDoubleClick([this] { TrayIcon1DblClick(); });
    TrayIcon1->show();
}

QAction* TForm2::item(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void TForm2::Open1Click() {
    // Showing a form also brings it to the front, so a window open behind others comes up.
    form1_.show();
    form1_.raise();
    form1_.activateWindow();
}

void TForm2::TrayIcon1DblClick() {
    form1_.show();
    form1_.raise();
    form1_.activateWindow();
}

void TForm2::mnuCloseClick() {
    // A scan or cleaning in progress stops at its next file; the event loop then ends.
    form1_.endWork();
    QApplication::processEvents();
    try {
        form1_.SaveSettings();
    } catch (const std::exception& e) {
        // Say what was not stored, but do not keep the user from leaving.
        widgets::showErrorBox(nullptr, QString::fromUtf8(e.what()));
    }
    form1_.close();
    QApplication::processEvents();
    form1_.Timer1->stop();
    QApplication::quit();
}

}  // namespace ostrevin::dregmoor
