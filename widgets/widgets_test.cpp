// The shared help viewer and about box as a user meets them.
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include "common/test_folder.h"
#include "widgets/about_box.h"
#include "widgets/help_viewer.h"
#include "widgets/qt_timer.h"

using namespace ostrevin::widgets;

namespace {

void writeFile(const std::string& path, const char* text) {
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
  private slots:
    void helpOpensAtTopicAndFollowsLinks();
    void missingHelpSaysSo();
    void aboutBoxShowsProductLine();
    void timerTicksNestInsideALongTick();
};

void WidgetsTest::helpOpensAtTopicAndFollowsLinks() {
    ostrevin::TestFolder folder;
    const std::string main = folder.path() + "/Main.html";
    writeFile(main,
              "<html><head><title>Main help</title></head><body><h1>Top</h1>"
              "<p>filler</p><h2><a name=\"Operation\"></a>Operation</h2><p>How to</p>"
              "<p><a href=\"Faq.html#Question\">See the questions</a></p></body></html>");
    writeFile(folder.path() + "/Faq.html",
              "<html><head><title>Questions</title></head><body><h2 id=\"Question\">Q</h2>"
              "</body></html>");
    HelpViewer viewer("Keyloom Help");
    QVERIFY(viewer.showTopic(QString::fromStdString(main), "Operation"));
    QTextBrowser* browser = viewer.findChild<QTextBrowser*>("helpBrowser");
    QVERIFY(browser);
    QCOMPARE(browser->source().fragment(), QString("Operation"));
    QCOMPARE(viewer.windowTitle(), QString("Main help - Keyloom Help"));
    QVERIFY(viewer.isVisible());

    browser->setSource(QUrl("Faq.html#Question"));
    QCOMPARE(browser->source().fileName(), QString("Faq.html"));
    QCOMPARE(browser->documentTitle(), QString("Questions"));
    QVERIFY(browser->isBackwardAvailable());
    browser->backward();
    QCOMPARE(browser->source().fileName(), QString("Main.html"));
}

void WidgetsTest::missingHelpSaysSo() {
    HelpViewer viewer("Keyloom Help");
    QVERIFY(!viewer.showTopic("/nonexistent/Keyloom.html", "Operation"));
    QVERIFY(viewer.browser()->toPlainText().contains("/nonexistent/Keyloom.html"));
}

void WidgetsTest::aboutBoxShowsProductLine() {
    AboutBox box("About Keyloom", "Ostrevin Keyloom 1.2.3", "note", QIcon());
    QCOMPARE(box.windowTitle(), QString("About Keyloom"));
    auto* product = box.findChild<QLabel*>("ProductName");
    QVERIFY(product);
    QCOMPARE(product->text(), QString("Ostrevin Keyloom 1.2.3"));
}

// A tick that runs a macro processes events until it ends; later ticks must still arrive inside
// it, and none after the timer was switched off.
void WidgetsTest::timerTicksNestInsideALongTick() {
    QObject owner;
    QtTimer timer(&owner, "Timer1");
    int depth = 0, deepest = 0, ticks = 0;
    timer.setOnTick([&] {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        if (depth == 1) {
            QElapsedTimer clock;
            clock.start();
            while (deepest < 2 && clock.elapsed() < 5000) QCoreApplication::processEvents();
            timer.setEnabled(false);
        }
        --depth;
    });
    timer.setInterval(10);
    timer.setEnabled(true);
    QTRY_VERIFY(ticks > 0 && !timer.enabled());
    QCOMPARE(deepest, 2);
    const int before = ticks;
    QTest::qWait(50);
    QCOMPARE(ticks, before);
}

QTEST_MAIN(WidgetsTest)
#include "widgets_test.moc"
