// The advanced page's commands: tokens at the caret through the clipboard, hints, step dialogs.
#include <QClipboard>
#include <QTest>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/authoring_test_support.h"

using namespace keyloom;
using namespace keyloom::test;
using ostrevin::widgets::TEPMenuButton;

class FrmAdvancedTest : public QObject {
    Q_OBJECT
  private slots:
    void everyMenuItemInsertsItsTokenAtTheCaret();
    void aSelectionIsReplaced();
    void hintsComeBeforeTheCommandsThatHaveThem();
    void stepDialogsInsertTheirTokensAndRememberTheirFields();
    void waitForAWindowChecksItsFields();
    void miscPrompts();
    void enterPressesTheDefaultButton();
    void hintWindowSettingPaths();
};

namespace {

Authoring* openAdvancedPage(Authoring& a) {
    TfrmWizard& w = *a.wizard;
    w.show();
    w.optRecKeys->setChecked(true);
    w.cmdNext->click();
    w.edtMacroName->setText("Adv");
    w.cmdNext->click();
    w.cmdNext->click();
    return &a;
}

// Puts the caret after `before` in "before|after".
void placeCaret(QPlainTextEdit* edit, const QString& before, const QString& after) {
    edit->setPlainText(before + after);
    QTextCursor c = edit->textCursor();
    c.setPosition(static_cast<int>(before.size()));
    edit->setTextCursor(c);
}

// Closes every hint that comes up, keeping its text.
struct HintCatcher {
    QStringList texts;
    QTimer timer;
    explicit HintCatcher(TfrmHint* hint) {
        QObject::connect(&timer, &QTimer::timeout, [this, hint] {
            if (hint->isVisible()) {
                texts << hint->mmoHint->toPlainText();
                hint->cmdOK->click();
            }
        });
        timer.start(0);
    }
};

}  // namespace

void FrmAdvancedTest::everyMenuItemInsertsItsTokenAtTheCaret() {
    Authoring a;
    openAdvancedPage(a);
    TfrmWizard& w = *a.wizard;
    const std::pair<TEPMenuButton*, MenuId> menus[] = {{w.cmdSpecialKeys, MenuId::SpecialKeys},
                                                       {w.EPMenuButton3, MenuId::MoreKeys},
                                                       {w.EPMenuButton1, MenuId::DateTime},
                                                       {w.EPMenuButton2, MenuId::Repeat},
                                                       {w.EPMenuButton4, MenuId::Misc}};
    const QStringList captions = {"Special &Keys", "&More Keys", "&Date / Time", "&Repeat",
                                  "&Misc."};
    int m = 0;
    for (const auto& [button, id] : menus) {
        QCOMPARE(button->text(), captions[m++]);
        const auto& commands = menuCommands(id);
        QCOMPARE(button->count(), static_cast<int>(commands.size()));
        for (int i = 0; i < button->count(); ++i) {
            QCOMPARE(button->itemText(i), QString(commands[i].item));
            if (!commands[i].token) continue;
            placeCaret(w.mmoManKeys, "ab", "cd");
            QApplication::clipboard()->setText("previous");
            button->list()->actions()[i]->trigger();
            const QString token = commands[i].token;
            QCOMPARE(w.mmoManKeys->toPlainText(), "ab" + token + "cd");
            QCOMPARE(w.mmoManKeys->textCursor().position(), 2 + token.size());
            QCOMPARE(QApplication::clipboard()->text(), token);
            QCOMPARE(w.focusWidget(), w.mmoManKeys);
        }
    }
}

void FrmAdvancedTest::aSelectionIsReplaced() {
    Authoring a;
    openAdvancedPage(a);
    TfrmWizard& w = *a.wizard;
    w.mmoManKeys->setPlainText("one TWO three");
    QTextCursor c = w.mmoManKeys->textCursor();
    c.setPosition(4);
    c.setPosition(7, QTextCursor::KeepAnchor);
    w.mmoManKeys->setTextCursor(c);
    w.cmdSpecialKeys->choose(6);
    QCOMPARE(w.mmoManKeys->toPlainText(), QString("one <<ENTER>> three"));
    QCOMPARE(QApplication::clipboard()->text(), QString("<<ENTER>>"));
}

void FrmAdvancedTest::hintsComeBeforeTheCommandsThatHaveThem() {
    Authoring a(true);
    openAdvancedPage(a);
    TfrmWizard& w = *a.wizard;
    HintCatcher hints(w.frmHint);
    struct Case {
        TEPMenuButton* button;
        MenuId menu;
        int index;
    };
    const Case cases[] = {
        {w.cmdSpecialKeys, MenuId::SpecialKeys, 0}, {w.cmdSpecialKeys, MenuId::SpecialKeys, 5},
        {w.cmdSpecialKeys, MenuId::SpecialKeys, 6}, {w.cmdSpecialKeys, MenuId::SpecialKeys, 23},
        {w.EPMenuButton3, MenuId::MoreKeys, 2},     {w.EPMenuButton1, MenuId::DateTime, 0},
        {w.EPMenuButton1, MenuId::DateTime, 3},     {w.EPMenuButton2, MenuId::Repeat, 1},
        {w.EPMenuButton4, MenuId::Misc, 1}};
    for (const Case& c : cases) {
        hints.texts.clear();
        w.mmoManKeys->clear();
        c.button->choose(c.index);
        const MenuCommand& command = menuCommands(c.menu)[c.index];
        QCOMPARE(hints.texts, command.hint ? QStringList{command.hint} : QStringList{});
        QCOMPARE(w.mmoManKeys->toPlainText(), QString(command.token));
    }
    QVERIFY(hints.texts.isEmpty() || hints.texts[0].startsWith("This option will type"));
    // The delay button's hint, then its dialog.
    hints.texts.clear();
    QTimer::singleShot(50, [&] { w.frmWait->cmdCancel->click(); });
    w.cmdDelay->click();
    QCOMPARE(hints.texts, QStringList{kDelayHint});
    QCOMPARE(w.cmdDelay->text(), QString("&Start a Delay"));
}

void FrmAdvancedTest::stepDialogsInsertTheirTokensAndRememberTheirFields() {
    Authoring a;
    openAdvancedPage(a);
    TfrmWizard& w = *a.wizard;
    struct Case {
        const char* what;
        std::function<void()> open;
        std::function<void(QWidget*)> fill;  // then OK or Cancel
        const char* inserted;                // "" for Cancel
    };
    auto typeDigits = [](DigitField* f, const char* digits) {
        f->selectAll();
        f->del();
        f->setCursorPosition(0);
        QTest::keyClicks(f, digits);
    };
    const Case cases[] = {
        {"wait seconds", [&] { w.cmdDelayClick(); },
         [&](QWidget*) {
             typeDigits(w.frmWait->edtTime, "12");
             w.frmWait->cmdOK->click();
         },
         "<<SECS12>>"},
        {"wait minutes, field kept", [&] { w.cmdDelayClick(); },
         [&](QWidget* d) {
             QCOMPARE(d, static_cast<QWidget*>(w.frmWait));
             QCOMPARE(w.frmWait->edtTime->positions(), std::string("12 "));
             QCOMPARE(w.frmWait->focusWidget(), static_cast<QWidget*>(w.frmWait->edtTime));
             w.frmWait->optMinutes->setChecked(true);
             w.frmWait->cmdOK->click();
         },
         "<<MINS12>>"},
        {"wait, empty field", [&] { w.cmdDelayClick(); },
         [&](QWidget*) {
             typeDigits(w.frmWait->edtTime, "");
             w.frmWait->cmdOK->click();
         },
         "<<MINS>>"},
        {"wait, cancelled", [&] { w.cmdDelayClick(); },
         [&](QWidget*) { QTest::keyClick(w.frmWait, Qt::Key_Escape); }, ""},
        {"repeat", [&] { w.EPMenuButton2->choose(0); },
         [&](QWidget* d) {
             QCOMPARE(d->windowTitle(), QString("Number of Times to Repeat"));
             typeDigits(w.frmRepeat->edtRepCount, "3");
             w.frmRepeat->cmdOK->click();
         },
         "<<REP3>>"},
        {"repeat, field kept", [&] { w.EPMenuButton2->choose(0); },
         [&](QWidget*) { w.frmRepeat->cmdOK->click(); }, "<<REP3>>"},
        {"input box", [&] { w.EPMenuButton4->choose(0); },
         [&](QWidget* d) {
             QCOMPARE(d->windowTitle(), QString("Input Box"));
             w.frmInputBox->edtInputName->setText("  Your name ");
             w.frmInputBox->cmdOK->click();
         },
         "<<INPUT:Your name>>"},
        {"input box, cancelled", [&] { w.EPMenuButton4->choose(0); },
         [&](QWidget*) {
             QCOMPARE(w.frmInputBox->edtInputName->text(), QString("  Your name "));
             w.frmInputBox->cmdCancel->click();
         },
         ""},
        {"wait for a window, default time", [&] { w.EPMenuButton4->choose(3); },
         [&](QWidget* d) {
             QCOMPARE(d->windowTitle(), QString("Wait for a Window"));
             w.frmWaitforWindow->edtWinTitle->setText(" Save As ");
             w.frmWaitforWindow->cmdOK->click();
         },
         "<<LOOKFOR:Save As~~SECS:5>>"},
        {"execute", [&] { w.EPMenuButton4->choose(5); },
         [&](QWidget* d) {
             QCOMPARE(d->windowTitle(), QString("Execute an Application"));
             a.dialogs.file = "/usr/bin/gedit";
             a.dialogs.folder = "/tmp";
             w.frmExecute->cmdBrowse->click();
             w.frmExecute->cmdStartIn->click();
             w.frmExecute->edtParameters->setText(" a.txt ");
             w.frmExecute->cmdOK->click();
         },
         "<<EXECUTE:/usr/bin/gedit~~ a.txt ~~/tmp>>"},
    };
    for (const Case& c : cases) {
        placeCaret(w.mmoManKeys, "x", "y");
        QApplication::clipboard()->setText("before");
        whenModal(c.fill);
        c.open();
        const QString inserted = c.inserted;
        QVERIFY2(w.mmoManKeys->toPlainText() == "x" + inserted + "y", c.what);
        QVERIFY2(QApplication::clipboard()->text() == (inserted.isEmpty() ? "before" : inserted),
                 c.what);
    }
}

void FrmAdvancedTest::waitForAWindowChecksItsFields() {
    Authoring a;
    openAdvancedPage(a);
    TfrmWizard& w = *a.wizard;
    TfrmWaitforWindow* d = w.frmWaitforWindow;
    struct Case {
        const char* title;
        const char* digits;
        bool minutes;
        const char* separator;  // nullptr: not in the catalogue
        const char* message;    // nullptr: inserted
        const char* inserted;
    };
    const Case cases[] = {
        {"", "5", false, nullptr,
         "message: Please specify the title of the window that you would like to look for.", ""},
        {"Editor", "", false, nullptr,
         "message: Please specify a length of time to wait before timing out.", ""},
        {"   ", "7", false, nullptr, nullptr, "<<LOOKFOR:~~SECS:7>>"},
        {"Editor", "10", true, "|", nullptr, "<<LOOKFOR:Editor|MINS:10>>"},
    };
    for (const Case& c : cases) {
        if (c.separator) a.store.writeString("Main", "WaitForSeparator", c.separator);
        w.mmoManKeys->clear();
        a.dialogs.shown.clear();
        whenModal([&](QWidget*) {
            d->edtWinTitle->setText(c.title);
            d->edtTime->setText(c.digits);
            (c.minutes ? d->optMinutes : d->optSeconds)->setChecked(true);
            d->cmdOK->click();
            if (d->isVisible()) {
                QCOMPARE(a.dialogs.last(), std::string(c.message));
                QCOMPARE(d->focusWidget(),
                         *c.title ? static_cast<QWidget*>(d->edtTime) : d->edtWinTitle);
                d->cmdCancel->click();
            }
        });
        w.EPMenuButton4->choose(3);
        QCOMPARE(w.mmoManKeys->toPlainText(), QString(c.inserted));
        QCOMPARE(a.dialogs.shown.empty(), c.message == nullptr);
    }
    // The execute token keeps its own separator.
    w.mmoManKeys->clear();
    whenModal([&](QWidget*) {
        w.frmExecute->edtCommandLine->setText("x");
        w.frmExecute->edtParameters->clear();
        w.frmExecute->edtStartIn->clear();
        w.frmExecute->cmdOK->click();
    });
    w.EPMenuButton4->choose(5);
    QCOMPARE(w.mmoManKeys->toPlainText(), QString("<<EXECUTE:x~~~~>>"));
}

void FrmAdvancedTest::miscPrompts() {
    Authoring a;
    openAdvancedPage(a);
    TfrmWizard& w = *a.wizard;
    struct Case {
        int index;
        const char* answer;
        const char* prompt;
        const char* inserted;
    };
    const Case cases[] = {
        {2, " Other ",
         "input: Run another macro / Type the exact name of the existing macro to run",
         "<<RUN: Other >>"},
        {2, "", "input: Run another macro / Type the exact name of the existing macro to run", ""},
        {4, "Editor",
         "input: Bring a window into focus / Title of the window to bring to the foreground.",
         "<<FOCUS:Editor>>"},
        {4, "",
         "input: Bring a window into focus / Title of the window to bring to the foreground.", ""},
    };
    for (const Case& c : cases) {
        w.mmoManKeys->clear();
        a.dialogs.answers = {c.answer};
        w.EPMenuButton4->choose(c.index);
        QCOMPARE(a.dialogs.last(), std::string(c.prompt));
        QCOMPARE(w.mmoManKeys->toPlainText(), QString(c.inserted));
    }
}

void FrmAdvancedTest::enterPressesTheDefaultButton() {
    Authoring a;
    openAdvancedPage(a);
    TfrmWizard& w = *a.wizard;
    w.mmoManKeys->setPlainText("line");
    w.mmoManKeys->moveCursor(QTextCursor::End);
    QTest::keyClick(w.mmoManKeys, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(w.mmoManKeys->toPlainText(), QString("line\n"));
    QTest::keyClick(w.mmoManKeys, Qt::Key_Return);
    QCOMPARE(w.mmoManKeys->toPlainText(), QString("line\n"));
    QCOMPARE(w.pages->currentWidget(), w.pnlFinished);
}

void FrmAdvancedTest::hintWindowSettingPaths() {
    Authoring a(true);
    TfrmHint* hint = a.wizard->frmHint;
    QCOMPARE(hint->windowTitle(), QString("Keyloom Hints"));
    QVERIFY(hint->mmoHint->isReadOnly());
    QCOMPARE(hint->cmdOK->text(), QString("&OK"));
    QVERIFY(hint->cmdOK->isDefault());
    QCOMPARE(hint->cbShowHint->text(), QString("Show hints"));
    struct Step {
        bool settingBefore;  // written by the tray menu before the hint
        int boxClick;        // -1 leave, 0 uncheck, 1 check
        bool shown;
        bool settingAfter;
        bool menuChecked;
    };
    const Step steps[] = {
        {true, -1, true, true, true},      // box checked: nothing written, menu checked
        {true, 0, true, false, false},     // unchecked: setting and menu off
        {false, -1, false, false, false},  // hints off: nothing shown
        {true, -1, true, false, false},    // turned on from the menu: the box stayed unchecked
        {true, 1, true, true, true},       // checked again: hints stay on
    };
    int i = 0;
    for (const Step& s : steps) {
        a.store.writeBool("Main", "Show Hints", s.settingBefore);
        a.hintsMenuChecked = s.settingBefore;
        bool shown = false;
        whenModal([&](QWidget* w) {
            shown = w == hint;
            QCOMPARE(hint->mmoHint->toPlainText(), QString("Step %1").arg(i));
            QCOMPARE(hint->focusWidget(), static_cast<QWidget*>(hint->cmdOK));
            if (s.boxClick >= 0) hint->cbShowHint->setChecked(s.boxClick == 1);
            QTest::keyClick(hint, Qt::Key_Escape);
        });
        a.wizard->ShowHint(QString("Step %1").arg(i).toStdString());
        QTest::qWait(1);
        QCOMPARE(shown, s.shown);
        QCOMPARE(a.store.readBool("Main", "Show Hints", true), s.settingAfter);
        QCOMPARE(a.hintsMenuChecked, s.menuChecked);
        ++i;
    }
}

QTEST_MAIN(FrmAdvancedTest)
#include "frm_advanced_test.moc"
