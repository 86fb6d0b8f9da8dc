// The Schedule tab and the schedule timer. Every schedule control saves the settings before the
// next scan time is computed, because the computation reads the schedule from the file.
#include <QMouseEvent>

#include "dregmoor/ui/t_form1.h"
#include "widgets/qt_text.h"

namespace ostrevin::dregmoor {

using widgets::toQString;

void TForm1::connectSchedule() {
    auto reschedule = [this] { Reschedule(); };
    for (QRadioButton* option : {optMinutes, optHours, optDays, optWeeks, optMonths}) {
        // A click recomputes even on the chosen kind; a change by keyboard or screen reader too.
        connect(option, &QRadioButton::clicked, this, reschedule);
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on && !loading_) Reschedule();
        });
    }
    connect(cbDays, &QComboBox::activated, this, reschedule);
    for (UpDown* ud :
         {udMinutes, udHours, udMinsAfter, udDays, udWeeks, udMonths, udDayofthemonth}) {
        connect(ud, &UpDown::clicked, this, reschedule);
        // Before the change as well (with the old value), except minutes: the first result is
        // shown only for a moment.
        if (ud != udMinutes) connect(ud, &UpDown::changing, this, reschedule);
    }
    connect(dt1, &QTimeEdit::timeChanged, this, [this] {
        if (!loading_) dt1Change();
    });
    connect(cbSchedule, &QCheckBox::toggled, this, [this] {
        if (!loading_) cbScheduleClick();
    });
    auto save = [this] { guarded([this] { SaveSettings(); }); };
    auto saveOnChange = [this] {
        if (!loading_) guarded([this] { SaveSettings(); });
    };
    connect(chkClean, &QCheckBox::toggled, this, saveOnChange);
    connect(cbOnlyScan, &QCheckBox::toggled, this, saveOnChange);
    connect(UpDown2, &UpDown::clicked, this, save);
    meMegs->installEventFilter(this);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

void TForm1::showNextScan() {
    try {
        const DateTime next = services_.schedule.reschedule();
        panels_[1]->setText(toQString(nextScanText(next, services_.clock)));
        panels_[1]->setToolTip({});
    } catch (const std::exception& e) {
        showUnscheduled(toQString(e.what()));
        throw;
    }
}

// A time that has passed would read as a scan about to run; say instead that none will.
void TForm1::showUnscheduled(const QString& why) {
    panels_[1]->setText("Next Scan: cannot be scheduled");
    panels_[1]->setToolTip(why);
}

void TForm1::Reschedule() {
    guarded([this] {
        SaveSettings();
        services_.pump.processMessages();
        showNextScan();
    });
}

void TForm1::cbScheduleClick() {
    if (cbSchedule->isChecked()) {
        guarded([this] {
            SaveSettings();
            services_.pump.processMessages();
            showNextScan();
        });
        Timer1->start();
    } else {
        panels_[1]->clear();
        services_.schedule.clear();
        Timer1->stop();
    }
}

void TForm1::dt1Change() {
    guarded([this] {
        services_.settings.saveDayParameter(dt1->time().hour(), dt1->time().minute());
        showNextScan();
    });
}

bool TForm1::meMegsExit() {
    const std::optional<std::string> refusal =
        checkSpaceToCheck(widgets::toUtf8(meMegs->text().trimmed()));
    if (!refusal) return true;
    checkingMegs_ = true;  // the message box takes the focus: no second check for that
    hooks_.showError(toQString(*refusal));
    meMegs->setFocus();
    checkingMegs_ = false;
    return false;
}

void TForm1::Timer1Timer() {
    // A manual scan or cleaning is running: the due time is checked again at the next tick.
    if (!cbSchedule->isChecked() || busy_ || ending_) return;
    Timer1->stop();
    // A timed run may come when nobody is there: it never waits for a box. Its failures go to
    // the status bar and into one notification, and the schedule goes on.
    timedRun_ = true;
    timedProblems_.clear();
    try {
        const bool ran = services_.schedule.tick(true, [this] {
            // A scan stopped by Escape or Exit leaves its files alone.
            if (ScanDrives(true) && chkClean->isChecked()) Button2Click();
        });
        if (ran && services_.schedule.due())
            panels_[1]->setText(
                toQString(nextScanText(*services_.schedule.due(), services_.clock)));
    } catch (const std::exception& e) {
        timedProblems_ << toQString(e.what());
        if (!services_.schedule.due()) showUnscheduled(toQString(e.what()));
    }
    timedRun_ = false;
    if (!timedProblems_.isEmpty() && hooks_.notify) hooks_.notify(timedProblems_.join('\n'));
    if (!ending_) Timer1->start();
}

}  // namespace ostrevin::dregmoor
