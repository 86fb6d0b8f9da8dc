// The input prompt as a user meets it: the prompt shown, the answer typed and confirmed with
// Enter, the field empty for the next time, and no way to close it but OK.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "macros/app/frm_get_var.h"

using namespace keyloom;

class FrmGetVarTest : public QObject {
    Q_OBJECT
  private slots:
    void asksAndReturnsTheAnswer();
};

void FrmGetVarTest::asksAndReturnsTheAnswer() {
    TfrmGetVar dialog;
    QCOMPARE(dialog.windowTitle(), QString("Keyloom Input Box"));
    QCOMPARE(dialog.size(), QSize(233, 100));
    QVERIFY(dialog.findChild<QLabel*>("lblPrompt"));
    QVERIFY(dialog.findChild<QLineEdit*>("edtVal"));
    auto* ok = dialog.findChild<QPushButton*>("Button1");
    QVERIFY(ok);
    QCOMPARE(ok->text(), QString("&OK"));
    QVERIFY(ok->isDefault());

    bool escapeIgnored = false;
    QTimer::singleShot(0, [&] {
        QCOMPARE(dialog.lblPrompt->text(), QString("Your name, please?"));
        QVERIFY(dialog.edtVal->hasFocus() || QApplication::focusWidget() == nullptr);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        escapeIgnored = dialog.isVisible();
        QTest::keyClicks(dialog.edtVal, "Ada ^ Lovelace");
        QTest::keyClick(dialog.edtVal, Qt::Key_Return);
    });
    QCOMPARE(dialog.Ask("Your name, please?"), std::string("Ada ^ Lovelace"));
    QVERIFY(escapeIgnored);
    QCOMPARE(dialog.edtVal->text(), QString());
}

QTEST_MAIN(FrmGetVarTest)
#include "frm_get_var_test.moc"
