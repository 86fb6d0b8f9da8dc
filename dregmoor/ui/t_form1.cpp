// The scanner window: creation, loading and saving the settings, the list and pattern actions,
// help and hiding. The scan, the cleaning and the schedule are in t_form1_work.cpp and
// t_form1_schedule.cpp.
#include "dregmoor/ui/t_form1.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QStyle>

#include "common/text.h"
#include "widgets/qt_text.h"

namespace ostrevin::dregmoor {

using widgets::toQString;
using widgets::toUtf8;

TForm1::TForm1(ScannerServices services, DesktopHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services),
      hooks_(std::move(hooks)) {
    setObjectName("Form1");
    setWindowTitle("Ostrevin Dregmoor");
    setFixedSize(357, 393);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(4, 4, 349, 318);
    const char* const captions[] = {"Main", "Options", "Scan For...", "Schedule"};
    QWidget* pages[4];
    for (int i = 0; i < 4; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(QString("TabSheet%1").arg(i + 1));
        PageControl1->addTab(pages[i], captions[i]);
    }
    buildMainTab(pages[0]);
    buildOptionsTab(pages[1]);
    buildScanForTab(pages[2]);
    buildScheduleTab(pages[3]);
    buildBottom();
    fitCaptions();
    edtFolder->setText(toQString(Cleaner::defaultMoveFolder()));
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(10000);
    connectHandlers();
    connectSchedule();
}

void TForm1::connectHandlers() {
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(cmdClean, &QPushButton::clicked, this, &TForm1::cmdCleanClick);
    connect(btnExit, &QPushButton::clicked, this, &TForm1::btnExitClick);
    connect(lv1->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TForm1::lv1Click);
    connect(model_, &QAbstractItemModel::modelReset, this, &TForm1::lv1Click);
    connect(lv1, &QTreeView::doubleClicked, this, &TForm1::mnuViewFileClick);
    connect(lv1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        lv1Click();
        PopupMenu2->popup(lv1->viewport()->mapToGlobal(at));
    });
    connect(mnuViewFile, &QAction::triggered, this, &TForm1::mnuViewFileClick);
    connect(mnuProps, &QAction::triggered, this, &TForm1::mnuPropsClick);
    connect(cmdAdd, &QPushButton::clicked, this, &TForm1::cmdAddClick);
    connect(edtNewScan, &QLineEdit::returnPressed, this, &TForm1::cmdAddClick);
    connect(cmdRemove, &QPushButton::clicked, this, &TForm1::cmdRemoveClick);
    connect(cmdBrowse, &QPushButton::clicked, this, &TForm1::cmdBrowseClick);
    connect(clbDrives, &QTreeWidget::itemChanged, this, [this] {
        if (!loading_) guarded([this] { SaveSettings(); });
    });
    // A change of these saves the whole file, however it is made: the mouse, the keyboard, or
    // a screen reader (which toggles rather than clicks). A radio button saves as it is chosen.
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             cbTempFolder, cbCacheFolder, cbCookieFolder, optNormDel, optRecBin, optFolder})
        connect(button, &QAbstractButton::toggled, this, [this, button](bool on) {
            if (!loading_ && (on || !qobject_cast<QRadioButton*>(button)))
                guarded([this] { SaveSettings(); });
        });
    auto* help = new QShortcut(Qt::Key_F1, this);
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { hooks_.showHelp("Operation"); });
    auto* stop = new QShortcut(Qt::Key_Escape, this);
    stop->setContext(Qt::WidgetWithChildrenShortcut);
    connect(stop, &QShortcut::activated, this, [this] { cancelWork(); });
}

void TForm1::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        hooks_.showError(toQString(e.what()));
    }
}

void TForm1::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

// ---- loading and saving

bool TForm1::FormCreate() {
    fillDrives();
    ScannerSettings settings;
    const LoadOutcome outcome =
        services_.settings.load(settings, driveIds(driveRows_), services_.clock);
    if (outcome.firstRun) {
        show();
        hooks_.showHelp("Getting_Started");
    }
    // A key that stops the loading (an interval field emptied and saved) must not stop the
    // schedule as well; AutoScan is always read before such a key.
    std::optional<std::string> scheduleError;
    if (settings.autoScan) {
        try {
            showNextScan();
        } catch (const std::exception& e) {
            scheduleError = e.what();
        }
    }
    applySettings(settings);
    if (outcome.error) services_.settings.noteShown(currentSettings());
    if (outcome.error) hooks_.showError(toQString(*outcome.error));
    if (scheduleError && scheduleError != outcome.error)
        hooks_.showError(toQString(*scheduleError));
    Timer1->start();
    return outcome.firstRun;
}

void TForm1::fillDrives() {
    driveRows_ = dregmoor::driveRows(services_.drives);
    const std::vector<DriveKind> kinds = driveKinds(driveRows_, services_.drives.mountedDrives());
    const QStyle::StandardPixmap icons[] = {QStyle::SP_DriveHDIcon, QStyle::SP_DriveFDIcon,
                                            QStyle::SP_DriveNetIcon};
    loading_ = true;
    clbDrives->clear();
    for (std::size_t i = 0; i < driveRows_.size(); ++i) {
        auto* item = new QTreeWidgetItem(clbDrives, {toQString(driveRows_[i].caption)});
        item->setIcon(0, style()->standardIcon(icons[static_cast<int>(kinds[i])]));
        item->setCheckState(0, Qt::Unchecked);
    }
    loading_ = false;
}

void TForm1::addPatternRow(const QString& text, bool ticked) {
    auto* item = new QTreeWidgetItem(lvScan, {text});
    item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void TForm1::applySettings(const ScannerSettings& s) {
    loading_ = true;
    chkClean->setChecked(s.autoErase);
    for (int i = 0; i < clbDrives->topLevelItemCount(); ++i) {
        const bool ticked = static_cast<std::size_t>(i) < s.drives.size() && s.drives[i];
        clbDrives->topLevelItem(i)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    }
    optNormDel->setChecked(s.cleanMode == CleanMode::Delete);
    optRecBin->setChecked(s.cleanMode == CleanMode::Recycle);
    optFolder->setChecked(s.cleanMode == CleanMode::MoveToFolder);
    lvScan->clear();
    for (const PatternRow& row : s.patterns) addPatternRow(toQString(row.text), row.ticked);
    cbTempFolder->setChecked(s.tempFolder);
    cbCacheFolder->setChecked(s.cacheFolder);
    cbCookieFolder->setChecked(s.cookieFolder);
    cbSchedule->setChecked(s.autoScan);
    cbOnlyScan->setChecked(s.checkSpace);
    UpDown2->setPosition(QString::fromStdString(s.spaceToCheck).trimmed().toInt());
    QRadioButton* kinds[] = {optMinutes, optHours, optDays, optWeeks, optMonths};
    for (QRadioButton* option : kinds) option->setAutoExclusive(false);
    for (int i = 0; i < 5; ++i) kinds[i]->setChecked(static_cast<int>(s.kind) == i + 1);
    for (QRadioButton* option : kinds) option->setAutoExclusive(true);
    const std::pair<UpDown*, const std::string*> fields[] = {
        {udMinutes, &s.minuteInterval}, {udHours, &s.hourInterval},
        {udDays, &s.dayInterval},       {udWeeks, &s.weekInterval},
        {udMonths, &s.monthInterval},   {udMinsAfter, &s.hourParameter}};
    for (const auto& [ud, text] : fields) {
        ud->setPosition(toQString(*text).trimmed().toInt());
        ud->associate()->setText(toQString(*text));
    }
    dt1->setTime(QTime(s.dayHour, s.dayMinute));
    cbDays->setCurrentIndex(s.weekday >= 1 && s.weekday <= 7 ? s.weekday - 1 : -1);
    meDayOfTheMonth->setText(toQString(s.monthParameter));
    loading_ = false;
}

ScannerSettings TForm1::currentSettings() const {
    ScannerSettings s;
    s.autoErase = chkClean->isChecked();
    for (int i = 0; i < clbDrives->topLevelItemCount(); ++i)
        s.drives.push_back(clbDrives->topLevelItem(i)->checkState(0) == Qt::Checked);
    s.cleanMode = cleanMode();
    for (int i = 0; i < lvScan->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvScan->topLevelItem(i);
        s.patterns.push_back({toUtf8(item->text(0)), item->checkState(0) == Qt::Checked});
    }
    s.tempFolder = cbTempFolder->isChecked();
    s.cacheFolder = cbCacheFolder->isChecked();
    s.cookieFolder = cbCookieFolder->isChecked();
    s.autoScan = cbSchedule->isChecked();
    s.checkSpace = cbOnlyScan->isChecked();
    s.spaceToCheck = toUtf8(meMegs->text().trimmed());
    const QRadioButton* kinds[] = {optMinutes, optHours, optDays, optWeeks, optMonths};
    s.kind = ScheduleKind::None;
    for (int i = 0; i < 5; ++i)
        if (kinds[i]->isChecked()) s.kind = static_cast<ScheduleKind>(i + 1);
    s.minuteInterval = toUtf8(meMins->text().trimmed());
    s.hourInterval = toUtf8(meHours->text().trimmed());
    s.dayInterval = toUtf8(meDays->text().trimmed());
    s.weekInterval = toUtf8(meWeeks->text().trimmed());
    s.monthInterval = toUtf8(meMonths->text().trimmed());
    s.hourParameter = toUtf8(meMinsAfter->text().trimmed());
    s.dayHour = dt1->time().hour();
    s.dayMinute = dt1->time().minute();
    s.weekday = cbDays->currentIndex() + 1;
    s.monthParameter = toUtf8(meDayOfTheMonth->text().trimmed());
    s.moveFolder = toUtf8(edtFolder->text());
    return s;
}

void TForm1::SaveSettings() {
    services_.settings.save(currentSettings());
}

CleanMode TForm1::cleanMode() const {
    if (optNormDel->isChecked()) return CleanMode::Delete;
    if (optFolder->isChecked()) return CleanMode::MoveToFolder;
    return CleanMode::Recycle;
}

QIcon TForm1::rowIcon() const {
    switch (cleanMode()) {
        case CleanMode::Delete: return style()->standardIcon(QStyle::SP_DialogDiscardButton);
        case CleanMode::MoveToFolder: return style()->standardIcon(QStyle::SP_DirIcon);
        default: return style()->standardIcon(QStyle::SP_TrashIcon);
    }
}

// ---- the result list, the patterns, the folder, hiding

int TForm1::selectedRow() const {
    const QModelIndexList rows = lv1->selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows)
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void TForm1::lv1Click() {
    const bool enable = model_->rowCount() > 0 && selectedRow() >= 0;
    mnuViewFile->setEnabled(enable);
    mnuProps->setEnabled(enable);
}

void TForm1::mnuViewFileClick() {
    const int row = selectedRow();
    if (model_->rowCount() > 0 && row >= 0)
        hooks_.viewFile(model_->rows()[static_cast<std::size_t>(row)].fullPath());
}

void TForm1::mnuPropsClick() {
    const int row = selectedRow();
    if (row >= 0) hooks_.showProperties(model_->rows()[static_cast<std::size_t>(row)].fullPath());
}

void TForm1::cmdAddClick() {
    guarded([this] {
        const std::string text = toUtf8(edtNewScan->text());
        if (!text.empty()) {
            std::vector<PatternRow> rows = currentSettings().patterns;
            addPattern(rows, text);  // refuses what the stored list could not hold
            addPatternRow(toQString(rows.back().text), true);
        }
        SaveSettings();
    });
}

void TForm1::cmdRemoveClick() {
    guarded([this] {
        if (QTreeWidgetItem* item = lvScan->currentItem(); item && item->isSelected()) delete item;
        SaveSettings();
    });
}

void TForm1::cmdBrowseClick() {
    const QString folder = hooks_.chooseFolder("Choose a folder below:", edtFolder->text());
    if (!folder.isEmpty()) edtFolder->setText(folder);
}

void TForm1::btnExitClick() {
    // A refused save ends the handler there: the window stays open with what was not stored.
    guarded([this] {
        SaveSettings();
        close();
    });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == meMegs) {
        if (event->type() == QEvent::MouseButtonRelease) guarded([this] { SaveSettings(); });
        // Leaving the field means another control of this window taking the focus; another
        // window or the field's own context menu leaves it where it is.
        if (event->type() == QEvent::FocusOut && !checkingMegs_) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                meMegsExit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ostrevin::dregmoor
