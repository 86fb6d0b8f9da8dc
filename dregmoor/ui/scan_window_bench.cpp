// Benchmark tool: a scan of a large tree from the scanner window, against the same scan by the
// engine alone, in one process with a warm cache. While the window scans, a 5 ms timer asks for a
// repaint; the longest gap between two paints (or two ticks) is the longest the window could not
// answer. Usage: dregmoor_scan_window_bench TREE RUNS PATTERN...
// Prints: scan-window seconds=<best> engine_seconds=<best> max_stall_ms=<worst> rows=<n>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "dregmoor/ui/t_form1.h"
#include "dregmoor/ui/ui_fakes.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_file_tree.h"
#include "widgets/qt_pump.h"

using namespace ostrevin;
using namespace ostrevin::dregmoor;

namespace {

// Records the longest time between two paints of the window, or two ticks of the timer.
class StallMeter : public QObject {
  public:
    explicit StallMeter(QWidget* window) : window_(window) {
        window_->installEventFilter(this);
        ticker_.setTimerType(Qt::PreciseTimer);
        ticker_.setInterval(5);
        connect(&ticker_, &QTimer::timeout, this, [this] {
            note(lastTick_);
            window_->update();
        });
    }
    void start() {
        clock_.start();
        lastTick_ = lastPaint_ = 0;
        worst_ = 0;
        ticker_.start();
    }
    void stop() { ticker_.stop(); }
    qint64 worstMs() const { return worst_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint) note(lastPaint_);
        return false;
    }

  private:
    void note(qint64& last) {
        const qint64 now = clock_.elapsed();
        worst_ = std::max(worst_, now - last);
        last = now;
    }
    QWidget* window_;
    QTimer ticker_;
    QElapsedTimer clock_;
    qint64 lastTick_ = 0, lastPaint_ = 0, worst_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TREE RUNS PATTERN...\n", argv[0]);
        return 2;
    }
    const std::string tree = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    QTemporaryDir dir;
    std::string ini = "[Main]\nFirstRun=0\n[Settings]\nDrives=0,\n[Scan]\nScanFor=";
    for (int i = 3; i < argc; ++i) ini += std::string(argv[i]) + ",1,";
    ini += "\nCheck1=0\nCheck2=0\nCheck3=0\n[Schedule]\nAutoScan=0\n";
    std::ofstream(dir.path().toStdString() + "/DREGMOOR.INI") << ini;

    platform::PosixClock clock;
    FakeDrives drives;
    drives.drives = {{"/dev/bench", tree, "ext4", ""}};
    platform::PosixFileTree files;
    RefusingDisposal disposal;
    widgets::QtMessagePump pump;
    SettingsFile settings(dir.path().toStdString() + "/DREGMOOR.INI");
    ScanSchedule schedule(settings.store(), clock);
    Scanner scanner(files, drives, SpecialFolders{});
    Cleaner cleaner(disposal);
    DesktopHooks hooks;
    hooks.showHelp = [](const QString&) {};
    hooks.showError = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    TForm1 form(ScannerServices{settings,
                                [&](bool timed, const ScannerSettings& s,
                                    const std::vector<DriveRow>& rows, const ScanCallback& cb) {
                                    return scanner.ScanDrives(timed, s, rows, cb);
                                },
                                cleaner, schedule, clock, drives, pump},
                hooks);
    form.FormCreate();
    form.show();
    StallMeter meter(&form);

    double windowBest = 1e9, engineBest = 1e9;
    qint64 worstStall = 0;
    std::size_t rows = 0;
    ScannerSettings engineSettings;
    engineSettings.drives = {true};
    for (int i = 3; i < argc; ++i) engineSettings.patterns.push_back({argv[i], true});
    engineSettings.tempFolder = engineSettings.cacheFolder = engineSettings.cookieFolder = false;
    const std::vector<DriveRow> driveRows = form.driveRows();
    for (int run = 0; run <= runs; ++run) {  // run 0 warms the cache
        QElapsedTimer engine;
        engine.start();
        const ScanReport report = scanner.ScanDrives(false, engineSettings, driveRows,
                                                     [](const ScanProgress&) { return true; });
        const double engineSeconds = engine.nsecsElapsed() / 1e9;

        double windowSeconds = 0;
        QTimer::singleShot(50, [&] {
            meter.start();
            QElapsedTimer timer;
            timer.start();
            form.Button1->click();
            windowSeconds = timer.nsecsElapsed() / 1e9;
            meter.stop();
            QApplication::quit();
        });
        QApplication::exec();
        if (run) {
            engineBest = std::min(engineBest, engineSeconds);
            windowBest = std::min(windowBest, windowSeconds);
            worstStall = std::max(worstStall, meter.worstMs());
        }
        rows = report.rows.size();
        if (static_cast<std::size_t>(form.results()->rowCount()) != rows)
            std::fprintf(stderr, "the window listed %d rows, the engine %zu\n",
                         form.results()->rowCount(), rows);
    }
    std::printf("scan-window seconds=%.3f engine_seconds=%.3f max_stall_ms=%lld rows=%zu\n",
                windowBest, engineBest, static_cast<long long>(worstStall), rows);
    return 0;
}
