// The list window's commands and the tray form as a user meets them, on a real catalogue file.
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <iterator>

#include "common/test_folder.h"
#include "macros/app/frm_main.h"
#include "macros/app/macro_printer.h"
#include "macros/app/t_keyloom.h"
#include "platform/fake/fakes.h"

using namespace keyloom;
using ostrevin::platform::FakeFileSystem;
using ostrevin::platform::FakeLauncher;
using ostrevin::platform::FakeMessagePump;

namespace {

constexpr const char* kFourMacros =
    "[Main]\nEntries=6\n"
    "[Macro1]\nName=Launch\nType=1\nHotKey=24644\nTrigger=Editor\n"
    "[Macro2]\nName=Keys\nType=2\nFileName=Keys.dat\n"
    "[Macro3]\nName=Mouse\nType=3\nFileName=Mouse.dat\n"
    "[Macro4]\nName=Typed\nType=4\nFileName=Typed.key\n"
    "[Macro5]\nName=Odd\nType=9\n"
    "[Macro6]\nName=Untyped\n";

// One program's worth of objects on a catalogue file in a private folder.
struct Program {
    explicit Program(const char* catalogueText = kFourMacros) {
        std::ofstream(path) << catalogueText;
    }
    std::string text() const {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void click(int row) {
        QTreeWidget* list = window.list();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(row)).center());
    }

    ostrevin::TestFolder folder;
    std::string path = folder.path() + "/macros.ini";
    ostrevin::IniStore store{path};
    FakeFileSystem files;
    MacroCatalogue catalogue{store, "/opt/keyloom/", files};
    TfrmMain window{catalogue, usKeyLabel};
    FakeMessagePump pump;
    FakeLauncher launcher;
    TKeyloom tray{catalogue, pump, [](int) {}, nullptr};
    int ended = 0;

    void startTray(bool hostAvailable = true) {
        tray.endProgram = [this] { ++ended; };
        tray.FormCreate(window, launcher, hostAvailable);
        window.LoadMacroList();
    }
};

// Answers the next message box with the button, once it is up.
void answerNextBox(QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box) box->button(button)->click();
    });
}

QStringList captions(QMenu* menu, const QString& indent = {}) {
    QStringList out;
    for (QAction* action : menu->actions()) {
        out << indent + (action->isSeparator() ? "-" : action->text());
        if (action->menu()) out << captions(action->menu(), indent + "  ");
    }
    return out;
}

}  // namespace

class FrmMainUiTest : public QObject {
    Q_OBJECT
  private slots:
    void controlsAndCaptions();
    void statusTextsByType();
    void enablingRules();
    void resizeRule();
    void deleteAsksAndRenumbers();
    void positionSavedOnlyAfterPlacement();
    void firstRunAndLaterStarts();
    void withoutTrayHostTheListStaysOpen();
    void startWindowsWaitForThePlayback();
    void trayMenuStructureAndShowHints();
    void webItemsOpenTheMakersPages();
    void shortcutForTheSelectedMacro();
    void helpOpensAtItsTopics();
    void printDialogKeepsTheLastChoice();
    void printingStartsAPageOnlyForLinesLeft();
};

void FrmMainUiTest::controlsAndCaptions() {
    Program p;
    const std::pair<const char*, const char*> buttons[] = {{"cmdHelp", "Help"},
                                                           {"cmdNew", "New Macro"},
                                                           {"cmdProperties", "Edit Macro"},
                                                           {"cmdDeleteMacro", "Delete Macro"},
                                                           {"cmdClose", "Hide"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = p.window.findChild<QPushButton*>(name);
        QVERIFY2(button, name);
        QCOMPARE(button->text(), QString(caption));
    }
    QVERIFY(!p.window.cmdProperties->isEnabled());
    QVERIFY(!p.window.cmdDeleteMacro->isEnabled());
    QCOMPARE(captions(p.window.PopupMenu1),
             QStringList({"&New Macro", "&Delete Macro", "Create Shortcut...", "  On &Desktop",
                          "  On &Start Menu", "  On &Programs Menu", "  In Start&Up Folder",
                          "  In &Favorites Folder", "  In P&ersonal Folder", "Print Macro List",
                          "-", "&Properties"}));
    QCOMPARE(p.window.pos(), QPoint(-2000, -2000));
}

void FrmMainUiTest::statusTextsByType() {
    Program p;
    p.window.LoadMacroList();
    p.window.show();
    const char* expected[] = {"Launch - Starts an Application or Document",
                              "Keys - Plays back Keystrokes",
                              "Mouse - Plays back Mouse and Keyboard",
                              "Typed - Advanced Macro",
                              "Odd",
                              "Untyped - Starts an Application or Document"};
    for (int row = 0; row < 6; ++row) {
        p.click(row);
        QCOMPARE(p.window.Stat1()->currentMessage(), QString(expected[row]));
    }
}

void FrmMainUiTest::enablingRules() {
    Program p;
    p.window.LoadMacroList();
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    TfrmMain& w = p.window;
    auto state = [&w] {
        return QList<bool>{w.cmdDeleteMacro->isEnabled(), w.mnuDelete->isEnabled(),
                           w.mnuProperties->isEnabled(), w.mnuCreateShortcut->isEnabled(),
                           w.cmdProperties->isEnabled()};
    };
    const QList<bool> all{true, true, true, true, true};
    const QList<bool> none{false, false, false, false, false};

    // A click below the rows leaves nothing selected.
    QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {},
                      QPoint(20, w.list()->viewport()->height() - 3));
    QCOMPARE(state(), none);
    QVERIFY(w.Stat1()->currentMessage().isEmpty());

    p.click(1);
    QCOMPARE(state(), all);
    // Click alone (without the button's release rule) leaves Edit Macro as it was.
    w.list()->clearSelection();
    w.lvMacroClick();
    QCOMPARE(state(), (QList<bool>{false, false, false, false, true}));
    QVERIFY(w.Stat1()->currentMessage().isEmpty());

    // The arrow keys choose a row as the mouse does.
    w.list()->setFocus();
    w.activateWindow();
    w.list()->setCurrentItem(w.list()->topLevelItem(2));
    QTest::keyClick(w.list(), Qt::Key_Down);
    QCOMPARE(w.selectedNumber(), 4);
    if (w.isActiveWindow()) {
        QCOMPARE(w.Stat1()->currentMessage(), QString("Typed - Advanced Macro"));
        QCOMPARE(state(), all);
    }

    // The list menu comes up on the right button's press, before any release: it must already
    // offer the row that press chose.
    Program menu;
    menu.window.LoadMacroList();
    menu.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&menu.window));
    QWidget* viewport = menu.window.list()->viewport();
    const QPoint at =
        menu.window.list()->visualItemRect(menu.window.list()->topLevelItem(2)).center();
    QTest::mousePress(viewport, Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    QVERIFY(menu.window.PopupMenu1->isVisible());
    QCOMPARE(menu.window.selectedNumber(), 3);
    QCOMPARE(
        QList<bool>({menu.window.mnuDelete->isEnabled(), menu.window.mnuProperties->isEnabled(),
                     menu.window.mnuCreateShortcut->isEnabled()}),
        QList<bool>({true, true, true}));
    menu.window.PopupMenu1->close();

    // An empty list disables everything on a click.
    Program empty("[Main]\nEntries=0\n");
    empty.window.LoadMacroList();
    empty.window.show();
    empty.window.lvMacroClick();
    empty.window.lvMacroMouseUp();
    QCOMPARE(QList<bool>({empty.window.cmdDeleteMacro->isEnabled(),
                          empty.window.cmdProperties->isEnabled()}),
             QList<bool>({false, false}));
}

void FrmMainUiTest::resizeRule() {
    Program p;
    const struct {
        int outer, list, buttons;
    } cases[] = {{400, 289, 329}, {343, 232, 272}, {600, 489, 529}};
    for (const auto& c : cases) {
        p.window.resize(521, c.outer);
        p.window.FormResize();
        QCOMPARE(p.window.list()->height(), c.list);
        for (QPushButton* b : {p.window.cmdHelp, p.window.cmdNew, p.window.cmdProperties,
                               p.window.cmdDeleteMacro, p.window.cmdClose})
            QCOMPARE(b->y(), c.buttons);
        QCOMPARE(p.window.cmdHelp->x(), 8);
    }
}

void FrmMainUiTest::deleteAsksAndRenumbers() {
    Program p;
    p.window.LoadMacroList();
    p.window.show();
    p.click(1);
    answerNextBox(QMessageBox::No);
    p.window.cmdDeleteMacroClick();
    QCOMPARE(p.window.list()->topLevelItemCount(), 6);
    QVERIFY(p.files.removed.empty());

    answerNextBox(QMessageBox::Yes);
    p.window.cmdDeleteMacroClick();
    QCOMPARE(p.window.list()->topLevelItemCount(), 5);
    QCOMPARE(p.window.list()->topLevelItem(1)->text(0), QString("Mouse"));
    QCOMPARE(p.files.removed,
             (std::vector<std::string>{"/opt/keyloom/Keys.key", "/opt/keyloom/Keys.dat"}));
    QCOMPARE(p.store.readInteger("Main", "Entries", 0), 5);
    QCOMPARE(p.store.readString("Macro2", "Name", ""), std::string("Mouse"));
    QVERIFY(!p.store.sectionExists("Macro6"));
    QVERIFY(!p.window.cmdDeleteMacro->isEnabled());
    QVERIFY(!p.window.mnuDelete->isEnabled());
    QVERIFY(!p.window.mnuCreateShortcut->isEnabled());

    // Nothing selected: no question, nothing deleted.
    p.window.list()->clearSelection();
    p.window.cmdDeleteMacroClick();
    QCOMPARE(p.store.readInteger("Main", "Entries", 0), 5);
}

void FrmMainUiTest::positionSavedOnlyAfterPlacement() {
    Program p;
    p.startTray();
    p.tray.mnuCloseClick();
    QCOMPARE(p.ended, 1);
    QVERIFY(!p.store.sectionExists("Position"));

    p.tray.Open1Click();
    QVERIFY(p.window.isVisible());
    p.window.resize(500, 420);
    p.window.move(30, 40);
    p.window.cmdCloseClick();
    QVERIFY(!p.window.isVisible());
    QCOMPARE(p.store.readInteger("Position", "Width", 0), 500);
    QCOMPARE(p.store.readInteger("Position", "Height", 0), 420);

    p.window.move(60, 70);
    p.tray.mnuCloseClick();
    QCOMPARE(p.ended, 2);
    QCOMPARE(p.store.readInteger("Position", "Left", 0), 60);
    QCOMPARE(p.store.readInteger("Position", "Top", 0), 70);

    // Open places the window where it was.
    p.window.move(300, 300);
    p.tray.Open1Click();
    QCOMPARE(p.window.pos(), QPoint(60, 70));
    QCOMPARE(p.window.size(), QSize(500, 420));

    // Closing the window saves while it is shown and ends the program; a session's quit saves
    // nothing.
    p.window.move(90, 95);
    p.window.FormCloseQuery();
    QCOMPARE(p.ended, 3);
    QCOMPARE(p.store.readInteger("Position", "Left", 0), 90);
    // It ends at once, as a signal does, also from the event loop of a running macro, which the
    // end of the main loop would leave typing.
    p.window.move(10, 10);
    int endedAtOnce = 0;
    p.tray.endAtOnce = [&] { ++endedAtOnce; };
    QEventLoop pausingMacro;
    QTimer::singleShot(0, [&] {
        p.tray.EndSession();
        pausingMacro.quit();
    });
    pausingMacro.exec();
    QCOMPARE(endedAtOnce, 1);
    QCOMPARE(p.ended, 3);
    QCOMPARE(p.store.readInteger("Position", "Left", 0), 90);
}

void FrmMainUiTest::firstRunAndLaterStarts() {
    Program first;
    first.startTray();
    first.tray.ShowAtStart();
    QVERIFY(first.window.isVisible());
    QVERIFY(first.window.x() != -2000);
    QVERIFY(!first.store.readBool("Main", "FirstRun", true));
    QVERIFY(first.tray.Open1->isEnabled());

    Program later("[Main]\nEntries=0\nFirstRun=0\n");
    QVERIFY(!later.tray.Open1);  // the menu exists only once the tray form is made
    later.startTray();
    later.tray.ShowAtStart();
    QVERIFY(!later.window.isVisible());
    QCOMPARE(later.window.x(), -2000);
}

void FrmMainUiTest::withoutTrayHostTheListStaysOpen() {
    // The first start shows the list anyway, and must still say why closing it ends the program.
    const struct {
        bool firstRun;
        bool closeRequested;
        bool shown;
        bool told;
    } cases[] = {{false, false, true, true},
                 {false, true, false, false},
                 {true, false, true, true},
                 {true, true, true, false}};
    for (const auto& c : cases) {
        Program p(c.firstRun ? "[Main]\nEntries=0\n" : "[Main]\nEntries=0\nFirstRun=0\n");
        p.startTray(false);
        p.tray.CloseRequested = c.closeRequested;
        p.tray.ShowAtStart();
        QCOMPARE(p.window.isVisible(), c.shown);
        QCOMPARE(p.window.findChild<QMessageBox*>("noTrayBox") != nullptr, c.told);
        QVERIFY(!p.tray.TrayIcon1->visible());
        if (!c.shown) continue;
        p.window.cmdCloseClick();  // Hide cannot hide it where nothing would bring it back
        QVERIFY(p.window.isVisible());
        QVERIFY(p.window.isMinimized());
    }
}

void FrmMainUiTest::startWindowsWaitForThePlayback() {
    // A window opening while a recording plays back would take the keys the recording types.
    Program p;
    p.startTray(false);
    bool busy = true;
    int shown = 0;
    p.tray.playbackBusy = [&] { return busy; };
    p.tray.ShowWhenIdle([&] { ++shown; });
    p.tray.PlaybackTimerTimer();
    QCOMPARE(shown, 0);
    busy = false;
    p.tray.PlaybackTimerTimer();
    p.tray.PlaybackTimerTimer();
    QCOMPARE(shown, 1);
}

void FrmMainUiTest::trayMenuStructureAndShowHints() {
    Program p("[Main]\nEntries=0\nShow Hints=0\n");
    p.startTray();
    QCOMPARE(captions(p.tray.PopupMenu1),
             QStringList({"&Open", "&Print Macro List", "&Help", "  &Operation", "  &Show Hints",
                          "  &Frequently Asked Questions", "  &Technical Support", "  -",
                          "  &About...", "-", "&Visit Ostrevin on the Web...",
                          "  Main Site (https://ostrevin.example.org)", "  Upgrade Keyloom",
                          "  Other Products", "  Technical Support", "-", "&Exit"}));
    QCOMPARE(p.tray.TrayIcon1->icon()->toolTip(),
             QString("Ostrevin Keyloom - Right Click for Options"));
    QVERIFY(!p.tray.TrayIcon1->icon()->icon().isNull());
    QVERIFY(!p.tray.mnuShowHints->isChecked());
    p.tray.mnuShowHints->trigger();
    QVERIFY(p.tray.mnuShowHints->isChecked());
    QVERIFY(p.store.readBool("Main", "Show Hints", false));
    p.tray.mnuShowHints->trigger();
    QVERIFY(!p.store.readBool("Main", "Show Hints", true));

    Program defaults("[Main]\nEntries=0\n");
    defaults.startTray();
    QVERIFY(defaults.tray.mnuShowHints->isChecked());
}

void FrmMainUiTest::webItemsOpenTheMakersPages() {
    Program p;
    p.startTray();
    const std::pair<QAction*, const char*> items[] = {{p.tray.M1, "/"},
                                                      {p.tray.U1, "/upgrade/"},
                                                      {p.tray.O2, "/products/"},
                                                      {p.tray.T1, "/support/"},
                                                      {p.tray.N5, "/support/"}};
    for (const auto& [item, page] : items) {
        p.launcher.opened.clear();
        item->trigger();
        QCOMPARE(p.launcher.opened.size(), size_t(1));
        QCOMPARE(p.launcher.opened[0].file, std::string(kWebSite) + page);
    }
}

void FrmMainUiTest::shortcutForTheSelectedMacro() {
    struct Files : ShortcutFiles {
        std::string home;
        std::map<std::string, std::string> written;
        std::string environment(const char* name) override {
            return std::string(name) == "HOME" ? home : "";
        }
        std::optional<std::string> readFile(const std::string&) override { return {}; }
        bool exists(const std::string&) override { return false; }
        bool isFolder(const std::string&) override { return true; }
        bool makeFolders(const std::string&) override { return true; }
        bool replaceFile(const std::string& path, const std::string& text, bool) override {
            written[path] = text;
            return true;
        }
        void markTrusted(const std::string&) override {}
    } files;
    files.home = "/home/ann";
    Program p("[Main]\nEntries=1\n[Macro1]\nName=Daily Report\nType=4\nHotKey=24644\n");
    p.window.shortcutFiles = &files;
    p.window.LoadMacroList();
    p.window.show();
    p.click(0);
    QVERIFY(p.window.mnuCreateShortcut->isEnabled());
    p.window.findChild<QAction*>("mnuDesktop")->trigger();
    const std::string text = files.written["/home/ann/Desktop/Daily Report.desktop"];
    QVERIFY2(
        text.find("Exec=/opt/keyloom/macros \"/Open:Daily Report\" /Close\n") != std::string::npos,
        text.c_str());
    QVERIFY(text.find("Path=/opt/keyloom/\n") != std::string::npos);
    QVERIFY(text.find("X-Ostrevin-HotKey=0x0344\n") != std::string::npos);
    QVERIFY(text.find("X-KDE-Shortcuts=Ctrl+Shift+D\n") != std::string::npos);
    p.window.findChild<QAction*>("mnuStartUpFolder")->trigger();
    QVERIFY(files.written.count("/home/ann/.config/autostart/keyloom-Daily Report.desktop"));
}

void FrmMainUiTest::helpOpensAtItsTopics() {
    Program p;
    p.window.programFolder = p.folder.path() + "/";
    std::ofstream(p.folder.path() + "/Keyloom.html")
        << "<html><body><a name=\"Getting_Started\"></a>x<a name=\"Operation\"></a>y</body></html>";
    std::ofstream(p.folder.path() + "/Keyloomfaq.html") << "<html><body>faq</body></html>";
    p.startTray();
    p.window.show();
    p.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    QTest::keyClick(p.window.list(), Qt::Key_F1);  // F1 anywhere in the window
    QVERIFY(p.tray.helpViewer());
    QVERIFY(p.tray.helpViewer()->isVisible());
    const struct {
        QAction* item;
        const char* file;
        const char* topic;
    } cases[] = {{p.tray.mnuOperation, "Keyloom.html", "Operation"},
                 {p.tray.N6, "Keyloomfaq.html", ""}};
    QCOMPARE(p.tray.helpViewer()->browser()->source().fragment(), QString("Operation"));
    for (const auto& c : cases) {
        c.item->trigger();
        QCOMPARE(p.tray.helpViewer()->browser()->source().fileName(), QString(c.file));
        QCOMPARE(p.tray.helpViewer()->browser()->source().fragment(), QString(c.topic));
    }
}

void FrmMainUiTest::printDialogKeepsTheLastChoice() {
    Program p;
    qputenv("HOME", QByteArray::fromStdString(p.folder.path()));
    p.window.LoadMacroList();
    const QString chosen = QString::fromStdString(p.folder.path() + "/chosen.pdf");
    // Answers a no-printer message, then acts on the print dialog and cancels it.
    auto onDialog = [](const std::function<void(QPrintDialog*)>& act) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                box->button(QMessageBox::Ok)->click();
            } else if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
                act(dialog);
                dialog->reject();
                poll->deleteLater();
            }
        });
        poll->start(20);
    };
    onDialog([&](QPrintDialog* dialog) { dialog->printer()->setOutputFileName(chosen); });
    p.window.mnuPrintClick();
    QString seen;
    QPoint offCentre;
    onDialog([&](QPrintDialog* dialog) {
        seen = dialog->printer()->outputFileName();
        offCentre = dialog->frameGeometry().center() - dialog->screen()->geometry().center();
    });
    p.window.mnuPrintClick();
    QCOMPARE(seen, chosen);
    // The list window is hidden, as when printing from the tray: the dialog is not in a corner.
    QVERIFY2(offCentre.manhattanLength() < 100,
             qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
}

// Counts the pages a print job ejects.
class CountingPrinter : public QPrinter {
  public:
    int newPages = 0;
    bool newPage() override {
        ++newPages;
        return QPrinter::newPage();
    }
};

void FrmMainUiTest::printingStartsAPageOnlyForLinesLeft() {
    ostrevin::TestFolder folder;
    int perPage = 0;
    {  // How many lines the job's font fits on a page, measured as the job lays them out.
        CountingPrinter probe;
        probe.setOutputFormat(QPrinter::PdfFormat);
        probe.setOutputFileName(QString::fromStdString(folder.path() + "/probe.pdf"));
        QPainter painter(&probe);
        painter.setFont(QFont("Sans Serif", 10));
        const QFontMetricsF metrics = painter.fontMetrics();
        const qreal height = painter.viewport().height();
        perPage = int((height - metrics.ascent() - metrics.descent()) / metrics.lineSpacing()) + 1;
    }
    QVERIFY(perPage > 10);
    const struct {
        int lines;
        int pages;
    } cases[] = {{0, 1},           {1, 1},           {perPage - 1, 1},    {perPage, 1},
                 {perPage + 1, 2}, {2 * perPage, 2}, {2 * perPage + 1, 3}};
    for (const auto& c : cases) {
        CountingPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(folder.path() + "/list.pdf"));
        QVERIFY(printLines(printer, std::vector<std::string>(c.lines, "Ctrl+F10\t\t\tReport")));
        QCOMPARE(printer.newPages + 1, c.pages);
    }
}

QTEST_MAIN(FrmMainUiTest)
#include "frm_main_ui_test.moc"
