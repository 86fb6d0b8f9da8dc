// "Scan Now", "Clean All" and "Clean Selected". The engine calls back often during long work; the
// window lets its events run there (at most every few milliseconds, so that pumping costs the walk
// next to nothing) and can cancel. One piece of work runs at a time: while a scan or a cleaning
// runs, the three work buttons are disabled and a timed scan waits for the next timer tick.
#include <QApplication>
#include <QElapsedTimer>

#include "dregmoor/ui/t_form1.h"
#include "widgets/qt_text.h"

namespace ostrevin::dregmoor {

using widgets::toQString;

namespace {

// Events run at least this often while work goes on; a click is answered within it.
constexpr qint64 kPumpEveryMs = 8;

qint64 monotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

}  // namespace

void TForm1::setBusy(bool busy) {
    busy_ = busy;
    cancel_ = false;
    for (QPushButton* button : {Button1, Button2, cmdClean}) button->setEnabled(!busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

bool TForm1::pumpWhileWorking(std::string_view status) {
    const qint64 now = monotonicMs();
    if (now - lastPump_ >= kPumpEveryMs) {
        lastPump_ = now;
        if (!status.empty()) panels_[2]->setText(toQString(status));
        services_.pump.processMessages();
    }
    return !cancel_ && !ending_;
}

void TForm1::endWork() {
    ending_ = true;
    cancel_ = true;
    Timer1->stop();
}

void TForm1::reportProblem(const QString& text) {
    if (timedRun_)
        timedProblems_ << text;
    else
        hooks_.showError(text);
}

void TForm1::Button1Click() {
    ScanDrives(false);
}

bool TForm1::ScanDrives(bool timed) {
    if (busy_ || ending_) return false;
    services_.pump.processMessages();
    Timer1->stop();
    setBusy(true);
    model_->clear();
    services_.pump.processMessages();
    lastPump_ = monotonicMs();
    const QIcon icon = rowIcon();
    bool whole = false;
    try {
        ScanReport report = services_.scan(
            timed, currentSettings(), driveRows_,
            [this](const ScanProgress& progress) { return pumpWhileWorking(progress.status); });
        // A stop asked for after the last file still counts: what follows must not run.
        whole = !report.cancelled && !cancel_ && !ending_;
        QString total = toQString(report.status());
        for (const std::string& skipped : report.skipped) total += "; " + toQString(skipped);
        model_->setRows(std::move(report.rows), icon);
        panels_[2]->setText(total);
    } catch (const std::exception& e) {
        // After a timed scan the panel is all that tells, as no box is shown.
        panels_[2]->setText(timedRun_ ? toQString(e.what()) : QString());
        setBusy(false);
        reportProblem(toQString(e.what()));
    }
    setBusy(false);
    if (!timed && !ending_ && cbSchedule->isChecked()) Timer1->start();
    return whole;
}

void TForm1::Button2Click() {
    clean(false);
}

void TForm1::cmdCleanClick() {
    clean(true);
}

void TForm1::clean(bool selectedOnly) {
    if (busy_ || ending_) return;
    services_.pump.processMessages();
    std::vector<bool> selected;
    if (selectedOnly) {
        selected.assign(model_->rows().size(), false);
        for (const QModelIndex& index : lv1->selectionModel()->selectedRows())
            selected[static_cast<std::size_t>(index.row())] = true;
    }
    setBusy(true);
    lastPump_ = monotonicMs();
    // The list keeps showing the rows until the cleaning ends; the engine works on a copy.
    std::vector<ResultRow> rows = model_->rows();
    const std::string folder = widgets::toUtf8(edtFolder->text());
    auto progress = [this](std::size_t done, std::size_t count) {
        const std::string status =
            "Cleaning: " + std::to_string(done) + " of " + std::to_string(count);
        return pumpWhileWorking(status);
    };
    CleanReport report;
    try {
        report = selectedOnly ? services_.cleaner.cleanSelected(rows, selected, cleanMode(), folder,
                                                                progress)
                              : services_.cleaner.cleanAll(rows, cleanMode(), folder, progress);
    } catch (const std::exception& e) {
        setBusy(false);
        reportProblem(toQString(e.what()));
        return;
    }
    model_->keepRows(std::move(rows));
    QString status = toQString(report.status());
    // Nobody may be there to read a box after a timed run: the panel keeps the count.
    if (timedRun_ && !report.failures.empty())
        status += QString(" (%1 not cleaned)").arg(report.failures.size());
    panels_[2]->setText(status);
    setBusy(false);
    if (const std::string message = report.failureMessage(); !message.empty())
        reportProblem(toQString(message));
}

}  // namespace ostrevin::dregmoor
