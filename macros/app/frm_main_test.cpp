// The list window as a user meets it, filled from a real catalogue file.
#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "common/test_folder.h"
#include "macros/app/frm_main.h"
#include "platform/fake/fakes.h"

using namespace keyloom;

class FrmMainTest : public QObject {
    Q_OBJECT
  private slots:
    void showsEveryEntryWithItsShortcutTriggerAndIcon();
    void reloadReplacesRows();
};

void FrmMainTest::showsEveryEntryWithItsShortcutTriggerAndIcon() {
    ostrevin::TestFolder folder;
    const std::string file = folder.path() + "/macros.ini";
    std::ofstream(file) << "[Main]\nEntries=4\n"
                           "[Macro1]\nName=Open Editor\nType=1\nHotKey=24699\n"
                           "[Macro2]\nName=Greeting\nType=4\nTrigger=Untitled - Editor\n"
                           "[Macro3]\nType=3\nHotKey=0x4041\n"
                           "[Macro4]\nName=Broken\nType=7\nHotKey=49338\n";
    ostrevin::IniStore store(file);
    ostrevin::platform::FakeFileSystem files;
    MacroCatalogue catalogue(store, "/opt/keyloom/", files);
    TfrmMain window(catalogue, usKeyLabel);
    window.LoadMacroList();

    QCOMPARE(window.objectName(), QString("frmMain"));
    QCOMPARE(window.windowTitle(), QString("Ostrevin Keyloom"));
    auto* list = window.findChild<QTreeWidget*>("lvMacro");
    QVERIFY(list);
    QCOMPARE(list->headerItem()->text(0), QString("Macro Name"));
    QCOMPARE(list->headerItem()->text(1), QString("Shortcut Keys"));
    QCOMPARE(list->headerItem()->text(2), QString("Window Trigger"));
    QCOMPARE(list->columnWidth(0), 200);
    QCOMPARE(list->columnWidth(1), 90);
    QCOMPARE(list->columnWidth(2), 105);
    QVERIFY(!list->header()->sectionsClickable());

    struct Row {
        const char* name;
        const char* shortcut;
        const char* trigger;
        int icon;
    };
    const Row rows[] = {{"Open Editor", "Shift+Ctrl+F12", "", 0},
                        {"Greeting", "", "Untitled - Editor", 1},
                        {"Macro3", "Ctrl+A", "", 2},
                        {"Broken", "Ctrl+Alt+;", "", -1}};
    QCOMPARE(list->topLevelItemCount(), 4);
    for (int i = 0; i < 4; ++i) {
        auto* item = list->topLevelItem(i);
        QCOMPARE(item->text(0), QString(rows[i].name));
        QCOMPARE(item->text(1), QString(rows[i].shortcut));
        QCOMPARE(item->text(2), QString(rows[i].trigger));
        QCOMPARE(item->data(0, Qt::UserRole).toInt(), rows[i].icon);
        QCOMPARE(item->icon(0).isNull(), rows[i].icon < 0);
    }
}

void FrmMainTest::reloadReplacesRows() {
    ostrevin::TestFolder folder;
    const std::string file = folder.path() + "/macros.ini";
    ostrevin::IniStore store(file);
    ostrevin::platform::FakeFileSystem files;
    MacroCatalogue catalogue(store, "/opt/keyloom/", files);
    TfrmMain window(catalogue, usKeyLabel);
    window.LoadMacroList();
    QCOMPARE(window.list()->topLevelItemCount(), 0);
    MacroEntry entry;
    entry.name = "New one";
    entry.type = 4;
    catalogue.append(entry);
    window.LoadMacroList();
    QCOMPARE(window.list()->topLevelItemCount(), 1);
    QCOMPARE(window.list()->topLevelItem(0)->text(0), QString("New one"));
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
