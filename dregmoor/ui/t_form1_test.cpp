// The scanner window as a user meets it: its controls, what each handler saves and shows, a scan
// and the three cleaning choices on real files, the schedule timer with a set clock, and one piece
// of work at a time.
#include <QSignalSpy>
#include <QtTest>

#include "dregmoor/ui/window_rig.h"

using namespace ostrevin::dregmoor;

namespace {

const char* kSchedule = "[Schedule]\nLastScan=2026-12-08 10:00\nDayParameter=12:00\n";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

QStringList rowNames(const TForm1& form) {
    QStringList names;
    for (const ResultRow& row : form.results()->rows()) names << QString::fromStdString(row.name);
    return names;
}

QStringList patternRows(const TForm1& form) {
    QStringList rows;
    for (int i = 0; i < form.lvScan->topLevelItemCount(); ++i)
        rows << form.lvScan->topLevelItem(i)->text(0);
    return rows;
}

}  // namespace

class TForm1Test : public QObject {
    Q_OBJECT
  private slots:
    void layoutAndCaptions();
    void upDownRanges_data();
    void upDownRanges();
    void missingFileGivesDefaultsAndFirstRunHelp();
    void storedSettingsFillTheControls();
    void loadFailureAndTheSchedule_data();
    void loadFailureAndTheSchedule();
    void changesThatSave_data();
    void changesThatSave();
    void tickingAPatternSavesNothing();
    void addAndRemovePatterns_data();
    void addAndRemovePatterns();
    void removeSelectedPattern();
    void rescheduleAfterScheduleControls_data();
    void rescheduleAfterScheduleControls();
    void timePickerWritesOnlyItsTime();
    void scheduleTickedAndUnticked();
    void megabytesCheck_data();
    void megabytesCheck();
    void megabytesCheckedOnLeavingTheField_data();
    void megabytesCheckedOnLeavingTheField();
    void hideSavesCloseBoxDoesNot();
    void scanListsFilesSizesAndTotal();
    void listMenuFollowsSelection();
    void clean_data();
    void clean();
    void failedFilesKeepTheirRows();
    void secondWorkIsRefusedWhileOneRuns();
    void statusWhileScanning();
    void timedScanAndAutomaticCleaning();
    void timedRunsNeverWaitForABox();
    void helpOnEveryTab();
};

void TForm1Test::layoutAndCaptions() {
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n", true);
    QCOMPARE(form.windowTitle(), QString("Ostrevin Dregmoor"));
    QCOMPARE(form.size(), QSize(357, 393));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    const QStringList tabs = {"Main", "Options", "Scan For...", "Schedule"};
    QCOMPARE(form.PageControl1->count(), 4);
    for (int i = 0; i < 4; ++i) QCOMPARE(form.PageControl1->tabText(i), tabs[i]);
    const std::pair<const char*, const char*> captions[] = {
        {"Button2", "Clean All"},
        {"cmdClean", "Clean Selected"},
        {"Button1", "Scan Now"},
        {"btnExit", "Hide"},
        {"cmdAdd", "Add New Extension"},
        {"cmdRemove", "Remove Selected"},
        {"cmdBrowse", ". ."},
        {"optNormDel", "Permanently Delete Them"},
        {"optRecBin", "Move Them To The Recycle Bin"},
        {"optFolder", "Move Them To This Folder:"},
        {"cbSchedule", "&Have Dregmoor scan your drives automatically..."},
        {"chkClean", "&Automatically clean all found files after each timed scan"},
        {"cbOnlyScan", "&Only scan if drive space is less than"},
        {"optMinutes", "&Every..."},
        {"optHours", "Every..."},
        {"optMonths", "Every..."}};
    for (const auto& [name, caption] : captions) {
        auto* button = form.findChild<QAbstractButton*>(name);
        QVERIFY2(button, name);
        QCOMPARE(button->text(), QString(caption));
    }
    QCOMPARE(form.panelText(0), QString("F1 for Help"));
    QCOMPARE(form.lv1->model()->headerData(2, Qt::Horizontal), QVariant("Size"));
    QCOMPARE(form.lv1->columnWidth(0), 120);
    QCOMPARE(form.lv1->columnWidth(1), 140);
    QCOMPARE(form.lv1->columnWidth(2), 62);
    QCOMPARE(form.lvScan->columnWidth(0), 185);
    QCOMPARE(form.clbDrives->columnWidth(0), 200);
    QVERIFY(!form.mnuViewFile->isEnabled() && !form.mnuProps->isEnabled());
    QCOMPARE(form.mnuViewFile->text(), QString("&View File"));
    QCOMPARE(form.mnuProps->text(), QString("&Properties"));
    QCOMPARE(form.cbDays->count(), 7);
    QCOMPARE(form.cbDays->itemText(0), QString("Sunday"));
    QCOMPARE(form.Timer1->interval(), 10000);
    QVERIFY(form.edtFolder->isReadOnly());
    // Every caption fits its place, and every control lies inside the client area.
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            QVERIFY2(TForm1::captionFits(button), qPrintable(button->text()));
    for (QLabel* label : form.findChildren<QLabel*>())
        if (label->parentWidget() != form.stat1 && label->isVisibleTo(&form))
            QVERIFY2(TForm1::captionFits(label), qPrintable(label->text()));
    for (QWidget* child : form.findChildren<QWidget*>())
        if (child->parentWidget() == &form)
            QVERIFY2(form.rect().contains(child->geometry()), qPrintable(child->objectName()));
}

void TForm1Test::upDownRanges_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("increment");
    QTest::addColumn<QString>("shown");
    QTest::newRow("minutes") << "udMinutes" << 1 << 59 << 1 << "30";
    QTest::newRow("hours") << "udHours" << 1 << 99 << 1 << "5";
    QTest::newRow("minutes after") << "udMinsAfter" << 1 << 59 << 5 << "30";
    QTest::newRow("days") << "udDays" << 1 << 99 << 1 << "5";
    QTest::newRow("weeks") << "udWeeks" << 1 << 99 << 1 << "1";
    QTest::newRow("months") << "udMonths" << 1 << 99 << 1 << "1";
    QTest::newRow("day of month") << "udDayofthemonth" << 1 << 31 << 1 << "1";
    QTest::newRow("megabytes") << "UpDown2" << 1 << 999 << 10 << "100";
}

void TForm1Test::upDownRanges() {
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, increment);
    QFETCH(QString, shown);
    WindowRig rig;
    TForm1& form = rig.open();
    auto* ud = form.findChild<UpDown*>(name);
    QVERIFY(ud);
    QCOMPARE(ud->minimum(), minimum);
    QCOMPARE(ud->maximum(), maximum);
    QCOMPARE(ud->increment(), increment);
    QCOMPARE(ud->associate()->text(), shown);
    ud->setPosition(maximum);
    ud->step(+1);
    QCOMPARE(ud->associate()->text(), QString::number(maximum));
    ud->setPosition(minimum);
    ud->step(-1);
    QCOMPARE(ud->associate()->text(), QString::number(minimum));
}

void TForm1Test::missingFileGivesDefaultsAndFirstRunHelp() {
    WindowRig rig;
    rig.drives.drives.push_back({"/dev/fake2", rig.root + "disk/sub", "vfat", ""});
    TForm1& form = rig.open();
    QVERIFY(form.isVisible());
    QCOMPARE(rig.help, QStringList{"Getting_Started"});
    QVERIFY(contains(rig.ini(), "FirstRun=0"));
    QCOMPARE(form.clbDrives->topLevelItemCount(), 2);
    QVERIFY(form.clbDrives->topLevelItem(0)->text(0).startsWith("a:"));
    QCOMPARE(form.clbDrives->topLevelItem(0)->checkState(0), Qt::Unchecked);
    QCOMPARE(form.lvScan->topLevelItemCount(), 0);
    QVERIFY(form.cbTempFolder->isChecked() && form.cbCacheFolder->isChecked() &&
            form.cbCookieFolder->isChecked());
    QVERIFY(!form.chkClean->isChecked());
    QVERIFY(form.optNormDel->isChecked());
    QVERIFY(form.cbSchedule->isChecked() && form.optMinutes->isChecked());
    QCOMPARE(form.meMins->text(), QString("30"));
    QVERIFY(form.panelText(1).startsWith("Next Scan: "));
    QVERIFY(form.Timer1->isActive());
    QVERIFY(rig.errors.isEmpty());

    WindowRig again;
    TForm1& second = again.open("[Main]\nFirstRun=0\n", true);
    QVERIFY(!second.isVisible());
    QVERIFY(again.help.isEmpty());
}

void TForm1Test::storedSettingsFillTheControls() {
    WindowRig rig;
    rig.drives.drives.push_back({"/dev/fake2", rig.root + "tmp", "ext4", ""});
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nAutoErase=1\nDrives=1,\nDeleteOption=7\n"
        "[Scan]\nScanFor=*.tmp,1,~*.*,0,\nCheck2=0\n[Schedule]\nAutoScan=0\nCheckHDSpace=1\n"
        "SpaceToCheck=250\nOptionChecked=4\nWeekInterval=3\nWeekParameter=2\nDayParameter=07:45\n"
        "MonthParameter=15\n",
        true);
    QVERIFY(form.chkClean->isChecked());
    QCOMPARE(form.clbDrives->topLevelItem(0)->checkState(0), Qt::Unchecked);
    QCOMPARE(form.clbDrives->topLevelItem(1)->checkState(0), Qt::Checked);
    QVERIFY(form.optRecBin->isChecked());  // 7 keeps the window's own choice
    QCOMPARE(patternRows(form), (QStringList{"*.tmp", "~*.*"}));
    QCOMPARE(form.lvScan->topLevelItem(1)->checkState(0), Qt::Unchecked);
    QVERIFY(!form.cbCacheFolder->isChecked() && form.cbTempFolder->isChecked());
    QVERIFY(!form.cbSchedule->isChecked() && form.cbOnlyScan->isChecked());
    QCOMPARE(form.panelText(1), QString());
    QCOMPARE(form.meMegs->text(), QString("250"));
    QVERIFY(form.optWeeks->isChecked());
    QCOMPARE(form.meWeeks->text(), QString("3"));
    QCOMPARE(form.cbDays->currentText(), QString("Monday"));
    QCOMPARE(form.dt1->time(), QTime(7, 45));
    QCOMPARE(form.meDayOfTheMonth->text(), QString("15"));
}

void TForm1Test::loadFailureAndTheSchedule_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("error");
    // A field emptied and saved in an unused kind stops the loading, but not the schedule.
    QTest::newRow("unused kind") << "OptionChecked=1\nDayInterval=\nWeekParameter=3\n"
                                 << "Next Scan: 12/08/2026 10:30:00"
                                 << "'' is not a valid integer value";
    QTest::newRow("kind in use") << "OptionChecked=1\nMinuteInterval=x\n"
                                 << "Next Scan: cannot be scheduled"
                                 << "'x' is not a valid integer value";
    QTest::newRow("scheduling off") << "AutoScan=0\nDayInterval=\n"
                                    << ""
                                    << "'' is not a valid integer value";
}

void TForm1Test::loadFailureAndTheSchedule() {
    QFETCH(QString, keys);
    QFETCH(QString, next);
    QFETCH(QString, error);
    WindowRig rig;
    TForm1& form =
        rig.open(std::string("[Main]\nFirstRun=0\n") + kSchedule + keys.toStdString(), true);
    QCOMPARE(rig.errors, QStringList{error});  // one message, also when both steps fail alike
    QCOMPARE(form.panelText(1), next);
    // A save keeps what the loading never reached: the weekday list shows no day, yet Wednesday
    // stays stored.
    form.cbTempFolder->click();
    QVERIFY(contains(rig.ini(), "Check1=0"));
    QCOMPARE(contains(rig.ini(), "WeekParameter=3"), keys.contains("WeekParameter=3"));
}

void TForm1Test::changesThatSave_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("saved");
    QTest::newRow("temp") << "cbTempFolder"
                          << "Check1=0";
    QTest::newRow("cache") << "cbCacheFolder"
                           << "Check2=0";
    QTest::newRow("cookies") << "cbCookieFolder"
                             << "Check3=0";
    QTest::newRow("trash") << "optRecBin"
                           << "DeleteOption=2";
    QTest::newRow("folder") << "optFolder"
                            << "DeleteOption=3";
    QTest::newRow("auto clean") << "chkClean"
                                << "AutoErase=1";
    QTest::newRow("only scan") << "cbOnlyScan"
                               << "CheckHDSpace=1";
    QTest::newRow("megabytes") << "UpDown2Up"
                               << "SpaceToCheck=110";
    QTest::newRow("drive") << "drive"
                           << "Drives=0,";
}

void TForm1Test::changesThatSave() {
    QFETCH(QString, control);
    QFETCH(QString, saved);
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n", true);
    QVERIFY(!contains(rig.ini(), saved.toStdString()));
    if (control == "drive")
        form.clbDrives->topLevelItem(0)->setCheckState(0, Qt::Checked);
    else
        form.findChild<QAbstractButton*>(control)->click();
    QVERIFY2(contains(rig.ini(), saved.toStdString()), rig.ini().c_str());
}

void TForm1Test::tickingAPatternSavesNothing() {
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n[Scan]\nScanFor=*.tmp,0,\n", true);
    form.lvScan->topLevelItem(0)->setCheckState(0, Qt::Checked);
    QVERIFY(contains(rig.ini(), "ScanFor=*.tmp,0,"));
}

void TForm1Test::addAndRemovePatterns_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("refused");
    QTest::newRow("pattern") << "*.tmp" << QStringList{"*.bak", "*.tmp"}
                             << "ScanFor=*.bak,1,*.tmp,1," << false;
    // An empty field adds nothing but still saves, so the tick of *.bak is stored.
    QTest::newRow("empty") << "" << QStringList{"*.bak"} << "ScanFor=*.bak,1," << false;
    QTest::newRow("duplicate") << "*.bak" << QStringList{"*.bak", "*.bak"}
                               << "ScanFor=*.bak,1,*.bak,1," << false;
    // A comma would split the stored list and corrupt every later row.
    QTest::newRow("comma") << "*.a,b" << QStringList{"*.bak"} << "ScanFor=*.bak,0," << true;
    QTest::newRow("too long") << QString(1100, 'x') << QStringList{"*.bak"} << "ScanFor=*.bak,0,"
                              << true;
}

void TForm1Test::addAndRemovePatterns() {
    QFETCH(QString, typed);
    QFETCH(QStringList, rows);
    QFETCH(QString, saved);
    QFETCH(bool, refused);
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n[Scan]\nScanFor=*.bak,0,\n", true);
    form.lvScan->topLevelItem(0)->setCheckState(0, Qt::Checked);
    form.edtNewScan->setText(typed);
    form.cmdAdd->click();
    QCOMPARE(patternRows(form), rows);
    QCOMPARE(form.edtNewScan->text(), typed);
    QCOMPARE(rig.errors.size(), refused ? 1 : 0);
    QVERIFY2(contains(rig.ini(), saved.toStdString()), rig.ini().c_str());
    if (!refused) QCOMPARE(form.lvScan->topLevelItem(rows.size() - 1)->checkState(0), Qt::Checked);
}

void TForm1Test::removeSelectedPattern() {
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n[Scan]\nScanFor=*.tmp,1,*.bak,0,\n", true);
    form.cmdRemove->click();  // nothing selected: nothing removed
    QCOMPARE(patternRows(form), (QStringList{"*.tmp", "*.bak"}));
    form.lvScan->setCurrentItem(form.lvScan->topLevelItem(0));
    form.cmdRemove->click();
    QCOMPARE(patternRows(form), QStringList{"*.bak"});
    QVERIFY(contains(rig.ini(), "ScanFor=*.bak,0,\n"));
}

void TForm1Test::rescheduleAfterScheduleControls_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("next");
    // LastScan 10:00, now 10:05, every 30 minutes until a control changes the schedule.
    const char* const rows[][4] = {
        {"minutes up", "udMinutesUp", "MinuteInterval=31", "12/08/2026 10:31:00"},
        {"hours", "optHours", "OptionChecked=2", "12/08/2026 15:30:00"},
        {"days", "optDays", "OptionChecked=3", "12/13/2026 12:00:00"},
        // No weekday chosen: a week on (Tuesday 12/15) is moved on by 7 - 3 days.
        {"weeks", "optWeeks", "OptionChecked=4", "12/19/2026 10:00:00"},
        {"months", "optMonths", "OptionChecked=5", "02/01/2027"},
        {"weekday", "cbDays", "WeekParameter=2", "12/08/2026 10:30:00"},
        {"hours up", "udHoursUp", "HourInterval=6", "12/08/2026 10:30:00"},
        {"minutes after down", "udMinsAfterDown", "HourParameter=25", "12/08/2026 10:30:00"},
        {"days up", "udDaysUp", "DayInterval=6", "12/08/2026 10:30:00"},
        {"weeks up", "udWeeksUp", "WeekInterval=2", "12/08/2026 10:30:00"},
        {"months up", "udMonthsUp", "MonthInterval=2", "12/08/2026 10:30:00"},
        {"day of month up", "udDayofthemonthUp", "MonthParameter=2", "12/08/2026 10:30:00"},
    };
    for (const auto& row : rows) QTest::newRow(row[0]) << row[1] << row[2] << row[3];
}

void TForm1Test::rescheduleAfterScheduleControls() {
    QFETCH(QString, action);
    QFETCH(QString, saved);
    QFETCH(QString, next);
    WindowRig rig;
    TForm1& form = rig.open(std::string("[Main]\nFirstRun=0\n") + kSchedule, true);
    QCOMPARE(form.panelText(1), QString("Next Scan: 12/08/2026 10:30:00"));
    if (action == "cbDays") {
        form.cbDays->setCurrentIndex(1);
        emit form.cbDays->activated(1);
    } else {
        form.findChild<QAbstractButton*>(action)->click();
    }
    QVERIFY2(contains(rig.ini(), saved.toStdString()), rig.ini().c_str());
    QCOMPARE(form.panelText(1), "Next Scan: " + next);
    // Scheduling off changes nothing here: the next time is shown all the same.
    form.cbSchedule->click();
    QCOMPARE(form.panelText(1), QString());
    form.findChild<QAbstractButton*>(action == "cbDays" ? "udWeeksUp" : action)->click();
    QVERIFY(form.panelText(1).startsWith("Next Scan: "));
}

void TForm1Test::timePickerWritesOnlyItsTime() {
    WindowRig rig;
    TForm1& form = rig.open(std::string("[Main]\nFirstRun=0\n[Scan]\nScanFor=*.tmp,0,\n") +
                                kSchedule + "OptionChecked=3\nDayInterval=1\n",
                            true);
    form.lvScan->topLevelItem(0)->setCheckState(0, Qt::Checked);  // not saved by itself
    form.dt1->setTime(QTime(13, 15));
    const std::string ini = rig.ini();
    QVERIFY(contains(ini, "DayParameter=13:15"));
    QVERIFY(contains(ini, "ScanFor=*.tmp,0,"));
    QCOMPARE(form.panelText(1), QString("Next Scan: 12/09/2026 13:15:00"));
}

void TForm1Test::scheduleTickedAndUnticked() {
    WindowRig rig;
    TForm1& form = rig.open(std::string("[Main]\nFirstRun=0\n") + kSchedule + "AutoScan=0\n", true);
    QVERIFY(!form.cbSchedule->isChecked());
    QCOMPARE(form.panelText(1), QString());
    form.cbSchedule->click();
    QVERIFY(contains(rig.ini(), "AutoScan=1"));
    QCOMPARE(form.panelText(1), QString("Next Scan: 12/08/2026 10:30:00"));
    QVERIFY(form.Timer1->isActive());
    form.cbSchedule->click();
    QCOMPARE(form.panelText(1), QString());
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(contains(rig.ini(), "AutoScan=1"));  // unticking saves nothing
}

void TForm1Test::megabytesCheck_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("zero") << "0" << true;
    QTest::newRow("blanks") << "  " << true;
    QTest::newRow("one") << "1" << false;
    QTest::newRow("largest") << "9999" << false;
}

void TForm1Test::megabytesCheck() {
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n", true);
    form.meMegs->setText(typed);
    QCOMPARE(form.meMegsExit(), !refused);
    QCOMPARE(rig.errors,
             refused ? QStringList{"Please enter a value between 1 and 9999"} : QStringList{});
}

void TForm1Test::megabytesCheckedOnLeavingTheField_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("checked");
    QTest::newRow("tab") << int(Qt::TabFocusReason) << true;
    QTest::newRow("click elsewhere") << int(Qt::MouseFocusReason) << true;
    QTest::newRow("shortcut") << int(Qt::ShortcutFocusReason) << true;
    // The field keeps the focus within its window: nothing is left yet.
    QTest::newRow("other window") << int(Qt::ActiveWindowFocusReason) << false;
    QTest::newRow("context menu") << int(Qt::PopupFocusReason) << false;
}

void TForm1Test::megabytesCheckedOnLeavingTheField() {
    QFETCH(int, reason);
    QFETCH(bool, checked);
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n", true);
    form.meMegs->setText("0");
    QFocusEvent out(QEvent::FocusOut, static_cast<Qt::FocusReason>(reason));
    QApplication::sendEvent(form.meMegs, &out);
    QCOMPARE(rig.errors,
             checked ? QStringList{"Please enter a value between 1 and 9999"} : QStringList{});
}

void TForm1Test::hideSavesCloseBoxDoesNot() {
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n[Scan]\nScanFor=*.tmp,0,\n", true);
    form.show();
    form.lvScan->topLevelItem(0)->setCheckState(0, Qt::Checked);
    form.close();
    QVERIFY(!form.isVisible());
    QVERIFY(contains(rig.ini(), "ScanFor=*.tmp,0,"));
    form.show();
    form.btnExit->click();
    QVERIFY(!form.isVisible());
    QVERIFY(contains(rig.ini(), "ScanFor=*.tmp,1,"));
    // A refused write stops "Hide" there: the window, with what was not stored, stays open.
    const std::string lock = rig.root + "DREGMOOR.INI.lock";
    ::unlink(lock.c_str());
    ::mkdir(lock.c_str(), 0700);
    form.show();
    form.btnExit->click();
    QCOMPARE(rig.errors.size(), 1);
    QVERIFY2(rig.errors[0].startsWith("Unable to write to "), qPrintable(rig.errors[0]));
    QVERIFY(form.isVisible());
}

void TForm1Test::scanListsFilesSizesAndTotal() {
    WindowRig rig;
    rig.write("disk/a.tmp", std::string(1536, 'a'));
    rig.write("disk/sub/b.TMP", std::string(2560, 'b'));
    rig.write("disk/c.txt", "c");
    rig.write("disk/.hidden.tmp", std::string(511, 'h'));
    rig.write("tmp/old.dat", std::string(3584, 'o'));
    rig.write("cache/app/x.bin", std::string(1000, 'x'));
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\n[Scan]\nScanFor=*.tmp,1,*.txt,0,\nCheck3=0\n",
        true);
    form.Button1->click();
    const std::vector<ResultRow>& rows = form.results()->rows();
    QVERIFY2(rowNames(form).size() == 5, qPrintable(rowNames(form).join(", ")));
    QMap<QString, QString> sizes;
    for (const ResultRow& row : rows) {
        QVERIFY(row.folder.back() == '/');
        sizes[QString::fromStdString(row.fullPath().substr(rig.root.size()))] =
            QString::fromStdString(row.sizeText());
    }
    QCOMPARE(sizes.value("disk/a.tmp"), QString("2k"));
    QCOMPARE(sizes.value("disk/sub/b.TMP"), QString("2k"));
    QCOMPARE(sizes.value("disk/.hidden.tmp"), QString("0k"));
    QCOMPARE(sizes.value("tmp/old.dat"), QString("4k"));
    QCOMPARE(sizes.value("cache/app/x.bin"), QString("1k"));
    // The drive's rows come before Temp, and Temp before the cache.
    QCOMPARE(rowNames(form).mid(3), (QStringList{"old.dat", "x.bin"}));
    QCOMPARE(form.lv1->model()->index(0, 2).data().toString().endsWith("k"), true);
    QCOMPARE(form.panelText(2), QString("Total Files: 9k"));
    QVERIFY(!form.busy() && form.Button1->isEnabled());
    QVERIFY(form.Timer1->isActive());  // scheduling is on: timed scans go on
}

void TForm1Test::listMenuFollowsSelection() {
    WindowRig rig;
    rig.write("disk/a b.tmp", "x");
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\n[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2="
        "0\nCheck3=0\n",
        true);
    form.lv1Click();
    QVERIFY(!form.mnuViewFile->isEnabled());
    form.Button1->click();
    QCOMPARE(form.results()->rowCount(), 1);
    QVERIFY(!form.mnuViewFile->isEnabled());
    form.mnuViewFileClick();
    QVERIFY(rig.viewed.empty());
    form.lv1->selectionModel()->select(form.results()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QVERIFY(form.mnuViewFile->isEnabled() && form.mnuProps->isEnabled());
    // The cleaning choice read at cleaning time: changing it keeps the selection and the icon.
    auto icon = [&] {
        return form.results()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    const qint64 scanned = icon();
    form.optFolder->click();
    QCOMPARE(form.lv1->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(icon(), scanned);
    form.mnuViewFile->trigger();
    form.mnuProps->trigger();
    emit form.lv1->doubleClicked(form.results()->index(0, 0));
    const std::string path = rig.root + "disk/a b.tmp";
    QCOMPARE(rig.viewed, (std::vector<std::string>{path, path}));
    QCOMPARE(rig.described, std::vector<std::string>{path});
    form.lv1->clearSelection();
    QVERIFY(!form.mnuViewFile->isEnabled() && !form.mnuProps->isEnabled());
}

void TForm1Test::clean_data() {
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("selectedOnly");
    QTest::addColumn<QString>("whereTo");  // "" gone, or the folder that holds the file after
    for (bool selected : {false, true}) {
        const char* how = selected ? "selected" : "all";
        QTest::addRow("delete %s", how) << "optNormDel" << selected << "";
        QTest::addRow("trash %s", how) << "optRecBin" << selected << "data/Trash/files/";
        QTest::addRow("move %s", how) << "optFolder" << selected << "moved/";
    }
}

void TForm1Test::clean() {
    QFETCH(QString, choice);
    QFETCH(bool, selectedOnly);
    QFETCH(QString, whereTo);
    WindowRig rig;
    const QStringList names = {"one.tmp", "two.tmp", "three.tmp", "four.tmp", "five.tmp"};
    for (int i = 0; i < names.size(); ++i)
        rig.write("disk/sub/" + names[i].toStdString(), std::string(1024 * (i + 1), 'z'));
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\n[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2="
        "0\nCheck3=0\n",
        true);
    rig.chosenFolder = QString::fromStdString(rig.root + "moved");
    form.cmdBrowse->click();
    QCOMPARE(form.edtFolder->text(), rig.chosenFolder);
    form.findChild<QAbstractButton*>(choice)->click();
    form.Button1->click();
    const QStringList found = rowNames(form);
    QCOMPARE(found.size(), 5);
    QStringList cleaned = found, kept;
    int kilobytes = 0;
    if (selectedOnly) {
        cleaned = found.mid(1, 2);
        kept = {found[0], found[3], found[4]};
        for (int row : {1, 2})
            form.lv1->selectionModel()->select(
                form.results()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        form.cmdClean->click();
    } else {
        form.Button2->click();
    }
    for (const QString& name : cleaned) kilobytes += names.indexOf(name) + 1;
    QCOMPARE(rowNames(form), kept);
    QCOMPARE(form.panelText(2), QString("Space Cleaned: %1k").arg(kilobytes));
    for (const QString& name : found) {
        const bool gone = cleaned.contains(name);
        QCOMPARE(rig.exists("disk/sub/" + name.toStdString()), !gone);
        if (gone && !whereTo.isEmpty())
            QVERIFY2(rig.exists((whereTo + name).toStdString()), qPrintable(name));
        if (gone && whereTo.isEmpty())
            QVERIFY(!rig.exists("data/Trash/files/" + name.toStdString()));
    }
    if (whereTo.startsWith("data/Trash"))
        QVERIFY(rig.exists("data/Trash/info/" + cleaned[0].toStdString() + ".trashinfo"));
    QVERIFY(rig.errors.isEmpty());
}

void TForm1Test::failedFilesKeepTheirRows() {
    WindowRig rig;
    rig.write("disk/a.tmp", std::string(2048, 'a'));
    rig.write("disk/b.tmp", std::string(4096, 'b'));
    rig.disposal.refusedName = "b.tmp";
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\n[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2="
        "0\nCheck3=0\n",
        true);
    form.Button1->click();
    form.Button2->click();
    QCOMPARE(rowNames(form), QStringList{"b.tmp"});
    QCOMPARE(form.panelText(2), QString("Space Cleaned: 2k"));
    QCOMPARE(rig.errors.size(), 1);
    QVERIFY2(rig.errors[0].contains("busy"), qPrintable(rig.errors[0]));
    QVERIFY(rig.exists("disk/b.tmp") && !rig.exists("disk/a.tmp"));
}

void TForm1Test::secondWorkIsRefusedWhileOneRuns() {
    WindowRig rig;
    rig.write("disk/a.tmp", "a");
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\n[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2="
        "0\nCheck3=0\n",
        true);
    bool disabledMeanwhile = false;
    rig.tree.whileWalking = [&] {
        disabledMeanwhile = form.busy() && !form.Button1->isEnabled() &&
                            !form.Button2->isEnabled() && !form.cmdClean->isEnabled();
        form.Button1Click();
        form.Button2Click();
        form.cmdCleanClick();
        form.Timer1Timer();
    };
    form.Button1->click();
    QVERIFY(disabledMeanwhile);
    QCOMPARE(rig.tree.walks, 1);
    QCOMPARE(rowNames(form), QStringList{"a.tmp"});  // not cleaned by the refused "Clean All"
    QVERIFY(rig.exists("disk/a.tmp"));
    // Escape cancels a running scan; the rows found until then stay.
    rig.tree.whileWalking = [&] {
        QTest::keyClick(&form, Qt::Key_Escape);
        form.cancelWork();
    };
    form.Button1->click();
    QVERIFY(!form.busy() && form.Button1->isEnabled());
}

void TForm1Test::statusWhileScanning() {
    WindowRig rig;
    for (const char* folder : {"disk/a", "disk/b", "disk/c", "tmp/d"})
        WindowRig::mkdirs(rig.root + folder);
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\n[Scan]\nScanFor=*.tmp,1,*.bak,0,*.old,1,\n"
        "Check2=0\nCheck3=0\n",
        true);
    QStringList seen;
    rig.tree.whileWalking = [&] {
        QThread::msleep(10);  // long enough for the window to let its events run
        seen << form.panelText(2);
    };
    form.Button1->click();
    QVERIFY2(seen.contains("Scanning: *.tmp, *.old"), qPrintable(seen.join(" | ")));
    QVERIFY2(seen.contains("Scanning: Temp"), qPrintable(seen.join(" | ")));
    QCOMPARE(form.panelText(2), QString("Total Files: 0k"));
    // Nothing ticked: the scan ends at once with an empty list and a zero total.
    form.clbDrives->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form.cbTempFolder->setChecked(false);
    form.Button1->click();
    QCOMPARE(form.results()->rowCount(), 0);
    QCOMPARE(form.panelText(2), QString("Total Files: 0k"));
    form.Button2->click();
    QCOMPARE(form.panelText(2), QString("Space Cleaned: 0k"));
    form.cmdClean->click();
    QCOMPARE(form.panelText(2), QString("Space Cleaned: 0k"));
}

void TForm1Test::timedScanAndAutomaticCleaning() {
    WindowRig rig;
    rig.write("disk/a.tmp", std::string(3072, 'a'));
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\nAutoErase=1\nDeleteOption=1\n"
        "[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2=0\nCheck3=0\n"
        "[Schedule]\nLastScan=2026-12-08 09:00\nOptionChecked=1\nMinuteInterval=30\n",
        true);
    // 09:30 passed unseen: the next scan is the present time plus 86.4 seconds, to the minute.
    QCOMPARE(form.panelText(1), QString("Next Scan: 12/08/2026 10:06:00"));
    form.Timer1Timer();
    QVERIFY(rig.exists("disk/a.tmp"));
    rig.clock.current = {2026, 12, 8, 10, 6, 30, 2};
    form.Timer1Timer();
    QVERIFY(!rig.exists("disk/a.tmp"));
    QCOMPARE(form.panelText(2), QString("Space Cleaned: 3k"));
    QVERIFY(contains(rig.ini(), "LastScan=2026-12-08 10:06"));
    QCOMPARE(form.panelText(1), QString("Next Scan: 12/08/2026 10:36:00"));
    QVERIFY(form.Timer1->isActive());
    // Unticked, the timer does nothing even when the time has come.
    rig.write("disk/b.tmp", "b");
    rig.clock.current = {2026, 12, 8, 11, 0, 0, 2};
    form.cbSchedule->setChecked(false);
    form.Timer1Timer();
    QVERIFY(rig.exists("disk/b.tmp"));
}

// Nobody may be at the screen: failures go to the status bar and one notification per run, and
// the next run still comes.
void TForm1Test::timedRunsNeverWaitForABox() {
    WindowRig rig;
    rig.write("disk/a.tmp", std::string(3072, 'a'));
    rig.write("disk/b.tmp", "b");
    rig.write("disk/c.tmp", "c");
    rig.disposal.refusedName = "b.tmp";
    TForm1& form = rig.open(
        "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\nAutoErase=1\nDeleteOption=1\n"
        "[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2=0\nCheck3=0\n"
        "[Schedule]\nLastScan=2026-12-08 10:00\nOptionChecked=1\nMinuteInterval=30\n",
        true);
    rig.clock.current = {2026, 12, 8, 10, 30, 0, 2};
    form.Timer1Timer();
    QCOMPARE(form.panelText(2), QString("Space Cleaned: 3k (1 not cleaned)"));
    QCOMPARE(rig.errors, QStringList{});
    QCOMPARE(rig.notes.size(), 1);
    QVERIFY2(rig.notes[0].contains("b.tmp") && rig.notes[0].contains("busy"),
             qPrintable(rig.notes[0]));
    QCOMPARE(form.panelText(1), QString("Next Scan: 12/08/2026 11:00:00"));
    QVERIFY(form.Timer1->isActive());
    // The next run finds the refused file again and says so again, once.
    rig.clock.current = {2026, 12, 8, 11, 0, 0, 2};
    form.Timer1Timer();
    QCOMPARE(rig.notes.size(), 2);
    QCOMPARE(rig.errors, QStringList{});
    // A scan that fails says so in the panel.
    form.cbOnlyScan->setChecked(true);
    form.meMegs->setText("x");
    rig.clock.current = {2026, 12, 8, 11, 30, 0, 2};
    form.Timer1Timer();
    QCOMPARE(form.panelText(2), QString("'x' is not a valid integer value"));
    QCOMPARE(rig.notes.size(), 3);
    QCOMPARE(rig.errors, QStringList{});
    form.meMegs->setText("100");
    // A schedule that cannot be computed any more: the panel says so rather than keep a time
    // that has passed, and still no box waits.
    std::string ini = rig.ini();
    ini.replace(ini.find("MinuteInterval=30"), 17, "MinuteInterval=y");
    rig.write("DREGMOOR.INI", ini);
    rig.clock.current = {2026, 12, 8, 12, 0, 0, 2};
    form.Timer1Timer();
    QCOMPARE(form.panelText(1), QString("Next Scan: cannot be scheduled"));
    QCOMPARE(rig.errors, QStringList{});
    QCOMPARE(rig.notes.size(), 4);
    QVERIFY2(rig.notes[3].contains("'y' is not a valid integer value"), qPrintable(rig.notes[3]));
    QVERIFY(form.Timer1->isActive());
    // A manual run still shows its failures in a box.
    rig.write("disk/b.tmp", "b");
    form.Button1->click();
    form.Button2->click();
    QCOMPARE(rig.errors.size(), 1);
    QCOMPARE(form.panelText(2), QString("Space Cleaned: 0k"));
}

void TForm1Test::helpOnEveryTab() {
    WindowRig rig;
    TForm1& form = rig.open("[Main]\nFirstRun=0\n", true);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    for (int tab = 0; tab < 4; ++tab) {
        form.PageControl1->setCurrentIndex(tab);
        form.PageControl1->currentWidget()->setFocus();
        rig.help.clear();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form,
                        Qt::Key_F1);
        QCOMPARE(rig.help, QStringList{"Operation"});
    }
}

int runTrayTests(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TForm1Test window;
    const int failed = QTest::qExec(&window, argc, argv);
    // Arguments that pick test functions name the window's; the tray's then run whole.
    return failed + runTrayTests(argc > 1 && argv[1][0] != '-' ? 1 : argc, argv);
}

#include "t_form1_test.moc"
