// The scanner window: found files, drives and cleaning choice, patterns, and the schedule on four
// tabs, with the four buttons and the status bar. Created once at start and shown on demand.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "dregmoor/engine/cleaning.h"
#include "dregmoor/engine/drive_list.h"
#include "dregmoor/engine/scanner.h"
#include "dregmoor/engine/scanner_settings.h"
#include "dregmoor/engine/schedule.h"
#include "dregmoor/ui/drive_kind.h"
#include "dregmoor/ui/result_model.h"
#include "dregmoor/ui/up_down.h"
#include "platform/clock.h"
#include "platform/message_pump.h"

namespace ostrevin::dregmoor {

// One scan with the engine's Scanner. The program makes a Scanner for each scan, so that the
// special folders (new browser profiles) and the one-day age of Temp files are those of that
// moment, not of the start of a program that may run for weeks.
using ScanFn =
    std::function<ScanReport(bool timed, const ScannerSettings& settings,
                             const std::vector<DriveRow>& drives, const ScanCallback& callback)>;

// The engine parts the window works with, created once by the program (or a test).
struct ScannerServices {
    SettingsFile& settings;
    ScanFn scan;
    Cleaner& cleaner;
    ScanSchedule& schedule;
    platform::Clock& clock;
    platform::DriveSource& drives;
    platform::MessagePump& pump;
};

// What the window asks of the desktop: help topics, a text editor, a properties dialog, a folder
// chooser and messages. The program binds them to real windows; tests record them.
struct DesktopHooks {
    std::function<void(const QString& topic)> showHelp;
    std::function<void(const std::string& path)> viewFile;
    std::function<void(const std::string& path)> showProperties;
    std::function<QString(const QString& prompt, const QString& start)> chooseFolder;
    std::function<void(const QString& text)> showError;
    // A message that waits for nobody (a desktop notification), for timed runs; may be empty.
    std::function<void(const QString& text)> notify;
};

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    TForm1(ScannerServices services, DesktopHooks hooks, QWidget* parent = nullptr);

    // Loading: settings, drive rows, first run, next scan time. True on the very first start.
    bool FormCreate();
    void SaveSettings();
    // A scan or a cleaning is running (a second one is refused meanwhile).
    bool busy() const { return busy_; }
    // Asks a running scan or cleaning to stop at the next file.
    void cancelWork() { cancel_ = true; }
    // The program ends: the work stops at the next file and no work starts after it (not even
    // the cleaning that follows a timed scan).
    void endWork();
    QString panelText(int panel) const { return panels_[panel]->text(); }
    // Whether a caption shows whole in the place its control is given.
    static bool captionFits(const QWidget* widget);
    const std::vector<DriveRow>& driveRows() const { return driveRows_; }
    ResultModel* results() const { return model_; }

    // Handlers, named after their controls and events; each shows its own failures.
    void Button1Click();   // "Scan Now"
    void Button2Click();   // "Clean All"
    void cmdCleanClick();  // "Clean Selected"
    void btnExitClick();   // "Hide"
    // True when the scan went to its end (neither cancelled nor failed).
    bool ScanDrives(bool timed);
    void lv1Click();
    void mnuViewFileClick();
    void mnuPropsClick();
    void cmdAddClick();
    void cmdRemoveClick();
    void cmdBrowseClick();
    void Reschedule();
    void cbScheduleClick();
    void dt1Change();
    bool meMegsExit();  // false when the value was refused
    void Timer1Timer();

    QTabWidget* PageControl1;
    QLabel* lblTitle;
    QTreeView* lv1;
    QMenu* PopupMenu2;
    QAction* mnuViewFile;
    QAction* mnuProps;
    QTreeWidget* clbDrives;
    QRadioButton *optNormDel, *optRecBin, *optFolder;
    QLineEdit* edtFolder;
    QPushButton* cmdBrowse;
    QTreeWidget* lvScan;
    QPushButton *cmdAdd, *cmdRemove;
    QLineEdit* edtNewScan;
    QCheckBox *cbTempFolder, *cbCacheFolder, *cbCookieFolder;
    QCheckBox *cbSchedule, *chkClean, *cbOnlyScan;
    QLineEdit* meMegs;
    UpDown* UpDown2;
    QGroupBox* grpSchedule;
    QRadioButton *optMinutes, *optHours, *optDays, *optWeeks, *optMonths;
    QLineEdit *meMins, *meHours, *meMinsAfter, *meDays, *meWeeks, *meMonths, *meDayOfTheMonth;
    UpDown *udMinutes, *udHours, *udMinsAfter, *udDays, *udWeeks, *udMonths, *udDayofthemonth;
    QTimeEdit* dt1;
    QComboBox* cbDays;
    QPushButton *Button2, *cmdClean, *Button1, *btnExit;
    QStatusBar* stat1;
    QTimer* Timer1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildMainTab(QWidget* page);
    void buildOptionsTab(QWidget* page);
    void buildScanForTab(QWidget* page);
    void buildScheduleTab(QWidget* page);
    void buildScheduleKinds(QGroupBox* group);
    void buildBottom();
    QLineEdit* maskedEdit(const char* name, int digits, QWidget* parent);
    void fitCaptions();
    void connectHandlers();
    void connectSchedule();

    void applySettings(const ScannerSettings& s);
    ScannerSettings currentSettings() const;
    void fillDrives();
    void addPatternRow(const QString& text, bool ticked);
    void showNextScan();
    void showUnscheduled(const QString& why);
    // A failure during work: a message box, or during a timed run a note for its notification.
    void reportProblem(const QString& text);
    CleanMode cleanMode() const;
    QIcon rowIcon() const;
    int selectedRow() const;  // the first selected row in list order, or -1
    void clean(bool selectedOnly);
    void setBusy(bool busy);
    bool pumpWhileWorking(std::string_view status);
    void guarded(const std::function<void()>& handler);

    ScannerServices services_;
    DesktopHooks hooks_;
    std::vector<DriveRow> driveRows_;
    ResultModel* model_;
    QLabel* panels_[3];
    bool busy_ = false;
    bool cancel_ = false;
    bool ending_ = false;
    bool timedRun_ = false;
    QStringList timedProblems_;  // of the timed run going on, for its one notification
    bool loading_ = false;
    bool checkingMegs_ = false;
    bool centred_ = false;
    qint64 lastPump_ = 0;
};

}  // namespace ostrevin::dregmoor
