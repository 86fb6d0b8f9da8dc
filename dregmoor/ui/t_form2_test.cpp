// The tray form: its icon's tip, the menu in its order, and what each item does.
#include <QtTest>

#include "dregmoor/ui/file_properties.h"
#include "dregmoor/ui/program_icon.h"
#include "dregmoor/ui/t_form2.h"
#include "dregmoor/ui/window_rig.h"

using namespace ostrevin::dregmoor;

namespace {

QStringList captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << (action->isSeparator() ? "-" : action->text());
    return out;
}

}  // namespace

class TForm2Test : public QObject {
    Q_OBJECT
  private slots:
    void trayIconAndMenu();
    void menuItems_data();
    void menuItems();
    void openComesToTheFront_data();
    void openComesToTheFront();
    void exitSavesAndHides();
    void stoppingATimedScanCleansNothing_data();
    void stoppingATimedScanCleansNothing();
    void fileProperties();

  private:
    struct Tray {
        WindowRig rig;
        QStringList pages;
        std::unique_ptr<TForm2> form2;
        Tray(const std::string& ini = "[Main]\nFirstRun=0\n") {
            TForm1& form1 = rig.open(ini, true);
            form2 = std::make_unique<TForm2>(
                form1, [this](const QString& topic) { rig.help << topic; },
                [this](const QString& url) { pages << url; }, programIcon());
        }
    };
};

void TForm2Test::trayIconAndMenu() {
    Tray tray;
    TForm2& form2 = *tray.form2;
    QCOMPARE(form2.TrayIcon1->icon()->toolTip(),
             QString("Pelthar Dregmoor - Right Click for Options"));
    QCOMPARE(form2.TrayIcon1->icon()->contextMenu(), form2.PopupMenu1);
    QVERIFY(!form2.TrayIcon1->icon()->icon().isNull());
    QCOMPARE(captions(form2.PopupMenu1),
             (QStringList{"&Open", "-", "&Help", "&Ostrevin on the Web...", "-", "&Exit"}));
    QCOMPARE(captions(form2.Help1->menu()),
             (QStringList{"&Getting Started", "&How to use Dregmoor", "&Technical Support"}));
    QCOMPARE(captions(form2.Web1->menu()),
             (QStringList{"Ostrevin &Home Page", "&Other Products", "&Technical Support"}));
}

void TForm2Test::menuItems_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("help");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("shown");
    QTest::newRow("open") << "Open1"
                          << ""
                          << "" << true;
    QTest::newRow("getting started") << "G1"
                                     << "Getting_Started"
                                     << "" << false;
    QTest::newRow("how to use") << "N2"
                                << "Operation"
                                << "" << false;
    QTest::newRow("support") << "T1"
                             << "" << kSupportPage << false;
    QTest::newRow("home page") << "Home1"
                               << "" << kHomePage << false;
    QTest::newRow("products") << "N6"
                              << "" << kProductsPage << false;
    QTest::newRow("support on the web") << "N7"
                                        << "" << kSupportPage << false;
    QTest::newRow("double click") << ""
                                  << ""
                                  << "" << true;
}

void TForm2Test::menuItems() {
    QFETCH(QString, item);
    QFETCH(QString, help);
    QFETCH(QString, page);
    QFETCH(bool, shown);
    Tray tray;
    if (item.isEmpty())
        tray.form2->TrayIcon1DblClick();
    else
        tray.form2->PopupMenu1->findChild<QAction*>(item)->trigger();
    QCOMPARE(tray.rig.help, help.isEmpty() ? QStringList{} : QStringList{help});
    QCOMPARE(tray.pages, page.isEmpty() ? QStringList{} : QStringList{page});
    QCOMPARE(tray.rig.form->isVisible(), shown);
}

void TForm2Test::openComesToTheFront_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("open") << "Open1";
    QTest::newRow("double click") << "";
}

// The scanner window already open behind another window comes to the front.
void TForm2Test::openComesToTheFront() {
    QFETCH(QString, item);
    Tray tray;
    TForm1& form1 = *tray.rig.form;
    form1.show();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    if (item.isEmpty())
        tray.form2->TrayIcon1DblClick();
    else
        tray.form2->PopupMenu1->findChild<QAction*>(item)->trigger();
    QVERIFY(QTest::qWaitForWindowActive(&form1));
}

void TForm2Test::exitSavesAndHides() {
    Tray tray("[Main]\nFirstRun=0\n[Scan]\nScanFor=*.tmp,0,\n");
    tray.rig.form->show();
    tray.rig.form->lvScan->topLevelItem(0)->setCheckState(0, Qt::Checked);
    tray.form2->mnuClose->trigger();
    QVERIFY(!tray.rig.form->isVisible());
    QVERIFY(!tray.rig.form->Timer1->isActive());
    QVERIFY(tray.rig.ini().find("ScanFor=*.tmp,1,") != std::string::npos);
}

void TForm2Test::stoppingATimedScanCleansNothing_data() {
    QTest::addColumn<bool>("exit");
    QTest::newRow("exit") << true;
    QTest::newRow("escape") << false;
}

// Exit or Escape while a timed scan runs: the automatic cleaning does not follow.
void TForm2Test::stoppingATimedScanCleansNothing() {
    QFETCH(bool, exit);
    Tray tray(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\nAutoErase=1\nDeleteOption=1\n"
        "[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2=0\nCheck3=0\n"
        "[Schedule]\nLastScan=2026-12-08 10:00\nOptionChecked=1\nMinuteInterval=30\n");
    WindowRig& rig = tray.rig;
    TForm1& form1 = *rig.form;
    rig.write("disk/a.tmp", "a");
    rig.write("disk/sub/b.tmp", "b");
    if (!exit) {
        form1.show();
        form1.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form1));
    }
    // Stopped on entering disk/sub, once disk/a.tmp is found.
    int calls = 0;
    bool stopped = false;
    rig.tree.whileWalking = [&] {
        if (++calls != 2) return;
        stopped = true;
        if (exit)
            tray.form2->mnuClose->trigger();
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    };
    rig.clock.current = {2026, 12, 8, 10, 30, 0, 2};
    form1.Timer1Timer();
    QVERIFY(stopped);
    QVERIFY(rig.exists("disk/a.tmp") && rig.exists("disk/sub/b.tmp"));
    QVERIFY(!form1.busy());
    QCOMPARE(form1.Timer1->isActive(), !exit);
    QCOMPARE(rig.errors, QStringList{});
}

void TForm2Test::fileProperties() {
    WindowRig rig;
    rig.write("disk/a b.tmp", std::string(1536, 'x'));
    ::chmod((rig.root + "disk/a b.tmp").c_str(), 0640);
    FileProperties dialog;
    QVERIFY(dialog.describe(QString::fromStdString(rig.root + "disk/a b.tmp")));
    QCOMPARE(dialog.field("lblName"), QString("a b.tmp"));
    QCOMPARE(dialog.field("lblFolder") + "/", QString::fromStdString(rig.root + "disk/"));
    const QString size = dialog.field("lblSize");
    QVERIFY2(size.endsWith(" bytes)") &&
                 QString(size).remove(QRegularExpression("[^0-9]")).endsWith("1536"),
             qPrintable(size));
    QCOMPARE(dialog.field("lblPermissions"), QString("rw-r----- (640)"));
    QVERIFY(!dialog.field("lblOwner").isEmpty() && !dialog.field("lblModified").isEmpty());
    // Gone since the scan: said so, and nothing stale is shown.
    QVERIFY(!dialog.describe(QString::fromStdString(rig.root + "disk/gone.tmp")));
    QCOMPARE(dialog.field("lblName"), QString("gone.tmp"));
    QCOMPARE(dialog.windowTitle(), QString("gone.tmp Properties"));
    QCOMPARE(dialog.field("lblSize"), QString());
    QCOMPARE(dialog.field("lblPermissions"), QString());
    const std::pair<unsigned, const char*> modes[] = {
        {0755, "rwxr-xr-x (755)"}, {0600, "rw------- (600)"}, {0, "--------- (000)"}};
    for (const auto& [mode, text] : modes)
        QCOMPARE(FileProperties::permissionText(mode), QString(text));
}

int runTrayTests(int argc, char** argv) {
    TForm2Test tray;
    return QTest::qExec(&tray, argc, argv);
}

#include "t_form2_test.moc"
