// Errors escaping the handlers that the event loop calls: shown in the standard error box, one at
// a time, and the program keeps running.
#include <unistd.h>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>

#include "widgets/error_reporting_application.h"

using namespace ostrevin::widgets;

namespace {

struct SeenBox {
    QString caption, text;
};

// Closes every error box that opens and remembers what it said.
class BoxCloser : public QObject {
  public:
    BoxCloser() {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w);
                    box && box->isVisible() && box->objectName() == "errorBox") {
                    seen.push_back({box->windowTitle(), box->text()});
                    box->accept();
                }
        });
        timer->start(20);
    }
    std::vector<SeenBox> seen;
};

}  // namespace

class ErrorReportingApplicationTest : public QObject {
    Q_OBJECT
  private slots:
    void errorInAnyHandlerIsShownAndTheLoopGoesOn();
    void errorsWhileABoxIsOpenDoNotStackBoxes();
};

void ErrorReportingApplicationTest::errorInAnyHandlerIsShownAndTheLoopGoesOn() {
    int fds[2];
    QVERIFY(::pipe(fds) == 0);
    // Each way the event loop calls a handler; each starts one handler that throws.
    const std::vector<std::pair<const char*, std::function<void(std::function<void()>)>>> cases = {
        {"timer tick", [](std::function<void()> h) { QTimer::singleShot(0, h); }},
        {"posted call",
         [](std::function<void()> h) {
             QMetaObject::invokeMethod(qApp, std::move(h), Qt::QueuedConnection);
         }},
        {"socket notifier",
         [&](std::function<void()> h) {
             auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, qApp);
             QObject::connect(notifier, &QSocketNotifier::activated, [notifier, h] {
                 notifier->setEnabled(false);
                 notifier->deleteLater();
                 h();
             });
             QVERIFY(::write(fds[1], "x", 1) == 1);
         }},
    };
    for (const auto& [name, start] : cases) {
        BoxCloser closer;
        bool after = false;
        start([] { throw std::runtime_error("Unable to write to /full/macros.ini"); });
        QTimer::singleShot(50, [&] { after = true; });
        QTRY_VERIFY2(after && closer.seen.size() == 1, name);
        QCOMPARE(closer.seen[0].caption, QString("Keyloom"));
        QCOMPARE(closer.seen[0].text, QString("Unable to write to /full/macros.ini"));
    }
    ::close(fds[0]);
    ::close(fds[1]);
}

void ErrorReportingApplicationTest::errorsWhileABoxIsOpenDoNotStackBoxes() {
    BoxCloser* closer = nullptr;
    int failures = 0;
    QTimer::singleShot(0, [] { throw std::runtime_error("first"); });
    QTimer failing;
    QObject::connect(&failing, &QTimer::timeout, [&] {
        ++failures;
        throw std::runtime_error("tick failed");
    });
    failing.start(5);
    // Closing starts only once several ticks have failed under the first box.
    QTimer::singleShot(200, [&] { closer = new BoxCloser; });
    QTRY_VERIFY(closer && !closer->seen.empty());
    failing.stop();
    QTRY_COMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(closer->seen[0].text, QString("first"));
    QVERIFY(failures > 5);
    QVERIFY(closer->seen.size() <= 2);
    delete closer;
}

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Keyloom");
    ErrorReportingApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "error_reporting_application_test.moc"
