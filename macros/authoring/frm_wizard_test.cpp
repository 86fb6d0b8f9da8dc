// The wizard as a user meets it: pages, checks, recording, and the macro it writes.
#include <QTest>

#include "macros/authoring/authoring_test_support.h"

using namespace keyloom;
using namespace keyloom::test;

class FrmWizardTest : public QObject {
    Q_OBJECT
  private slots:
    void everyKindWalksItsPagesForwardAndBack();
    void nameChecks();
    void nameNextResetsTheShortcutChoice();
    void launchNeedsACommandLine();
    void finishingWritesEachKindAndItsShortcut();
    void summaryTexts();
    void cancelAsksAndReopeningStartsAfresh();
    void recordingKeystrokes();
    void recordingMouseAndKeyboardHidesTheWindows();
    void recordingKeptWhenTheNameChangesAfterwards();
    void aKeystrokeRecordingEndsWithItsPage();
    void aRecordingThatFailsStoresNothingAndSaysWhy();
    void hotKeyFieldRules();
    void helpBrowseAndF1();
    void modalRunSurvivesHidingForARecording();
    void recordingRefusedWhereTheDesktopCannotRecord();
};

namespace {

QString page(const Authoring& a) {
    return a.wizard->pages->currentWidget()->objectName();
}

void start(Authoring& a, QRadioButton* kind) {
    a.wizard->show();
    kind->setChecked(true);
}

}  // namespace

void FrmWizardTest::everyKindWalksItsPagesForwardAndBack() {
    struct Step {
        const char* action;  // next, back, stop (a recording is made and stopped)
        const char* page;
        bool back, next, nextEnabled, finished;
    };
    using Steps = std::vector<Step>;
    const Steps common = {{"", "pnlStart", false, true, true, false},
                          {"next", "pnlName", true, true, true, false},
                          {"next", "pnlHotKey", true, true, true, false}};
    struct Kind {
        const char* what;
        int option;  // 0 advanced, 1 keystrokes, 2 mouse and keyboard, 3 launch
        Steps steps;
    };
    const Kind kinds[] = {
        {"advanced",
         0,
         {{"next", "pnlManualKeys", true, true, true, false},
          {"next", "pnlFinished", true, false, true, true},
          {"back", "pnlManualKeys", true, true, true, false},
          {"back", "pnlHotKey", true, true, true, false}}},
        {"keystrokes",
         1,
         {{"next", "pnlKeystype", true, true, true, false},
          {"next", "pnlRecordKeys", true, true, false, false},
          {"stop", "pnlRecordKeys", true, true, true, false},
          {"next", "pnlFinished", true, false, true, true},
          {"back", "pnlRecordKeys", true, true, true, false},
          {"back", "pnlKeystype", true, true, true, false},
          {"next", "pnlRecordKeys", true, true, false, false},
          {"back", "pnlKeystype", true, true, true, false},
          {"back", "pnlHotKey", true, true, true, false}}},
        {"mouse and keyboard",
         2,
         {{"next", "pnlKeystype", true, true, true, false},
          {"next", "pnlRecordMouse", true, true, false, false},
          {"stop", "pnlRecordMouse", true, true, true, false},
          {"next", "pnlFinished", true, false, true, true},
          {"back", "pnlRecordMouse", true, true, true, false},
          {"back", "pnlKeystype", true, true, true, false},
          {"back", "pnlHotKey", true, true, true, false}}},
        {"launch",
         3,
         {{"next", "pnlStartApp", true, true, true, false},
          {"next", "pnlFinished", true, false, true, true},
          {"back", "pnlStartApp", true, true, true, false},
          {"back", "pnlHotKey", true, true, true, false}}},
    };
    const Steps home = {{"back", "pnlName", true, true, true, false},
                        {"back", "pnlStart", false, true, true, false}};
    for (const Kind& k : kinds) {
        Authoring a;
        TfrmWizard& w = *a.wizard;
        QRadioButton* options[] = {w.optRecKeys, w.optRecMouse, w.optRecMouse, w.optStartApp};
        start(a, options[k.option]);
        (k.option == 2 ? w.optManual : w.optCapture)->setChecked(true);
        w.edtMacroName->setText("Walk");
        w.edtCommandLine->setText("/bin/true");
        Steps steps = common;
        steps.insert(steps.end(), k.steps.begin(), k.steps.end());
        steps.insert(steps.end(), home.begin(), home.end());
        int i = 0;
        for (const Step& s : steps) {
            const QString where = QString("%1 step %2").arg(k.what).arg(i++);
            if (QString(s.action) == "next") w.cmdNext->click();
            if (QString(s.action) == "back") w.cmdStepBack->click();
            if (QString(s.action) == "stop") {
                if (k.option == 1) {
                    w.cmdStartKeys->click();
                    w.cmdStopKeys->click();
                } else {
                    w.cmdRecordMouse->click();
                    w.EPHotkeyStopRecordHotKey();
                }
            }
            QVERIFY2(page(a) == s.page, qPrintable(where + ": " + page(a)));
            QVERIFY2(w.cmdStepBack->isEnabled() == s.back, qPrintable(where));
            QVERIFY2(w.cmdNext->isVisible() == s.next, qPrintable(where));
            QVERIFY2(w.cmdNext->isEnabled() == s.nextEnabled, qPrintable(where));
            QVERIFY2(w.cmdFinished->isVisible() == s.finished, qPrintable(where));
        }
        QVERIFY(a.dialogs.shown.empty());
    }
}

void FrmWizardTest::nameChecks() {
    struct Case {
        const char* typed;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"Report", "error: You have selected a name of an existing macro, please select another."},
        {"rEPORT  ",
         "error: You have selected a name of an existing macro, please select another."},
        {"macro2", "error: You have selected a name of an existing macro, please select another."},
        {"", "error: Please type a name for this macro."},
        {"Mail/Send",
         "error: The macro name \"Mail/Send\" cannot be used: a macro name may not "
         "contain \"/\"."},
        {"Report 2", nullptr},
        {"  ", "error: Please type a name for this macro."},
    };
    for (const Case& c : cases) {
        Authoring a;
        a.addMacro(1, "Report", 4, "Report.key");
        a.store.writeInteger("Main", "Entries", 2);
        a.store.writeInteger("Macro2", "Type", 4);  // no Name: listed as Macro2
        start(a, a.wizard->optRecKeys);
        a.wizard->cmdNext->click();
        a.wizard->edtMacroName->setText(c.typed);
        a.wizard->cmdNext->click();
        if (c.message) {
            QVERIFY2(a.dialogs.last() == c.message,
                     (std::string(c.typed) + " -> " + a.dialogs.last()).c_str());
            QCOMPARE(page(a), QString("pnlName"));
            QCOMPARE(a.wizard->focusWidget(), a.wizard->edtMacroName);
        } else {
            QVERIFY2(a.dialogs.shown.empty(), c.typed);
            QCOMPARE(page(a), QString("pnlHotKey"));
            QCOMPARE(a.wizard->focusWidget(), a.wizard->HotKey1);
        }
    }
    Authoring a;
    QCOMPARE(a.wizard->edtMacroName->maxLength(), 30);
}

void FrmWizardTest::nameNextResetsTheShortcutChoice() {
    Authoring a;
    TfrmWizard& w = *a.wizard;
    start(a, w.optRecKeys);
    QCOMPARE(w.cbShortCuts->count(), 7);
    QCOMPARE(w.cbShortCuts->itemText(4), QString("In StartUp Folder"));
    w.cmdNext->click();
    w.edtMacroName->setText("Short");
    w.cmdNext->click();
    w.cbShortCuts->setCurrentIndex(3);
    w.cmdStepBack->click();
    w.edtMacroName->clear();
    w.cmdNext->click();  // refused, and still reset
    QCOMPARE(w.cbShortCuts->currentIndex(), 0);
    w.edtMacroName->setText("Short");
    w.cbShortCuts->setCurrentIndex(5);
    w.cmdNext->click();
    QCOMPARE(w.cbShortCuts->currentIndex(), 0);
}

void FrmWizardTest::launchNeedsACommandLine() {
    Authoring a;
    TfrmWizard& w = *a.wizard;
    start(a, w.optStartApp);
    w.edtMacroName->setText("Run");
    w.cmdNext->click();
    w.cmdNext->click();
    w.cmdNext->click();
    QCOMPARE(page(a), QString("pnlStartApp"));
    QCOMPARE(w.focusWidget(), w.cmdBrowse);
    w.cmdNext->click();
    QCOMPARE(a.dialogs.last(),
             std::string("error: Please specify an application or document to launch.  You can "
                         "search for files by selecting 'Browse'."));
    QCOMPARE(page(a), QString("pnlStartApp"));
    QCOMPARE(w.focusWidget(), w.cmdBrowse);
}

void FrmWizardTest::finishingWritesEachKindAndItsShortcut() {
    using Keys = std::vector<std::string>;
    struct Case {
        int kind;  // 0 advanced, 1 keystrokes, 2 mouse, 3 launch
        bool highSpeed;
        int shortcut;
        Keys keys;
        const char* sideFile;
        const char* sideContent;
    };
    const Case cases[] = {
        {0,
         false,
         0,
         {"Name=Daily", "Type=4", "HotKey=24644", "Trigger=Inbox", "FileName=Daily.key"},
         "Daily.key",
         "Dear <<INPUT:Name>>,\r\n<<ENTER>>\r\n"},
        {1,
         false,
         1,
         {"Trigger=Inbox", "Name=Daily", "Type=2", "HotKey=24644", "FileName=Daily.dat"},
         "Daily.dat",
         "recorded 1"},
        {2,
         true,
         6,
         {"Name=Daily", "Type=3", "HotKey=24644", "Trigger=Inbox", "FileName=Daily.dat", "Speed=2"},
         "Daily.dat",
         "recorded 1"},
        {2,
         false,
         0,
         {"Name=Daily", "Type=3", "HotKey=24644", "Trigger=Inbox", "FileName=Daily.dat", "Speed=1"},
         "Daily.dat",
         "recorded 1"},
        {3,
         false,
         2,
         {"Name=Daily", "Type=1", "HotKey=24644", "FileName=/usr/bin/gedit~~--new-window~~/tmp",
          "Trigger=Inbox"},
         nullptr,
         nullptr},
    };
    for (const Case& c : cases) {
        Authoring a;
        a.addMacro(1, "Earlier", 4, "Earlier.key");
        TfrmWizard& w = *a.wizard;
        QRadioButton* options[] = {w.optRecKeys, w.optRecMouse, w.optRecMouse, w.optStartApp};
        start(a, options[c.kind]);
        (c.kind == 2 ? w.optManual : w.optCapture)->setChecked(true);
        (c.highSpeed ? w.optHighSpeed : w.optNormalSpeed)->setChecked(true);
        w.cmdNext->click();
        w.edtMacroName->setText("Daily  ");
        w.cmdNext->click();
        QTest::keyClick(w.HotKey1, Qt::Key_D, Qt::ShiftModifier | Qt::ControlModifier);
        w.edtTrigger->setText("Inbox");
        w.cbShortCuts->setCurrentIndex(c.shortcut);
        w.cmdNext->click();
        if (c.kind == 1 || c.kind == 2) {
            w.cmdNext->click();
            if (c.kind == 1) {
                w.cmdStartKeys->click();
                w.cmdStopKeys->click();
            } else {
                w.cmdRecordMouse->click();
                w.EPHotkeyStopRecordHotKey();
            }
        }
        if (c.kind == 0) w.mmoManKeys->setPlainText("Dear <<INPUT:Name>>,\n<<ENTER>>");
        if (c.kind == 3) {
            w.edtCommandLine->setText("/usr/bin/gedit");
            w.edtParameters->setText("--new-window");
            w.edtStartIn->setText("/tmp");
        }
        w.cmdNext->click();
        QCOMPARE(page(a), QString("pnlFinished"));
        w.cmdFinished->click();
        QCOMPARE(a.store.readInteger("Main", "Entries", 0), 2);
        QCOMPARE(a.keys(2), c.keys);
        if (c.sideFile) QCOMPARE(a.read(c.sideFile), std::string(c.sideContent));
        QVERIFY(!w.isVisible());
        QCOMPARE(a.loadHotKeys, 1);
        QCOMPARE(a.editing, false);
        QCOMPARE(a.stopKey, false);
        using Shortcuts = std::vector<std::pair<int, int>>;
        const Shortcuts expected = c.shortcut ? Shortcuts{{c.shortcut, 2}} : Shortcuts{};
        QCOMPARE(a.shortcuts, expected);
        QVERIFY(a.dialogs.shown.empty());
    }
}

void FrmWizardTest::summaryTexts() {
    struct Case {
        int kind;
        int hotKey;
        const char* trigger;
        const char* type;
        const char* keys;
        const char* shownTrigger;
    };
    const Case cases[] = {
        {0, 0, "", "Playback advanced macro", "None", "None"},
        {1, 0x607B, "Editor", "Playback keyboard", "Shift+Ctrl+F12", "Editor"},
        {2, 0x8041, "", "Playback mouse and keyboard", "Alt+A", "None"},
        {3, 0x4000 | 0xBA, " x ", "Start an Application", "Ctrl+;", " x "},
    };
    for (const Case& c : cases) {
        Authoring a;
        TfrmWizard& w = *a.wizard;
        QRadioButton* options[] = {w.optRecKeys, w.optRecMouse, w.optRecMouse, w.optStartApp};
        start(a, options[c.kind]);
        (c.kind == 2 ? w.optManual : w.optCapture)->setChecked(true);
        w.cmdNext->click();
        w.edtMacroName->setText("Sum ");
        w.cmdNext->click();
        w.HotKey1->setHotKey(c.hotKey);
        w.edtTrigger->setText(c.trigger);
        w.edtCommandLine->setText("x");
        w.cmdNext->click();
        if (c.kind == 1 || c.kind == 2) {
            w.cmdNext->click();
            w.EPHotkeyStopRecordHotKey();
        }
        w.cmdNext->click();
        QCOMPARE(w.lblSumName->text(), QString("Sum "));
        QCOMPARE(w.lblSumType->text(), QString(c.type));
        QCOMPARE(w.lblSumKeys->text(), QString(c.keys));
        QCOMPARE(w.lblSumTrigger->text(), QString(c.shownTrigger));
    }
}

void FrmWizardTest::cancelAsksAndReopeningStartsAfresh() {
    Authoring a;
    TfrmWizard& w = *a.wizard;
    QVERIFY(!a.editing && !a.stopKey);  // made at start, the wizard ignores no hot keys yet
    start(a, w.optRecMouse);
    QVERIFY(a.editing);
    QVERIFY(a.stopKey);
    w.optManual->setChecked(true);
    w.cmdNext->click();
    w.edtMacroName->setText("Gone");
    w.cmdNext->click();
    w.HotKey1->setHotKey(0x4041);
    w.edtTrigger->setText("T");
    w.edtParameters->setText("kept");
    w.cmdNext->click();
    w.cmdNext->click();
    QCOMPARE(page(a), QString("pnlRecordMouse"));
    const std::string question =
        "confirm: The Macro Setup Wizard has not finished creating your macro.  Are you sure you "
        "want to exit the wizard?";
    a.dialogs.answerYes = false;
    w.cmdCancel->click();
    QCOMPARE(a.dialogs.last(), question);
    QVERIFY(w.isVisible());
    QCOMPARE(page(a), QString("pnlRecordMouse"));
    a.dialogs.answerYes = true;
    QTest::keyClick(&w, Qt::Key_Escape);
    QCOMPARE(a.dialogs.last(), question);
    QVERIFY(!w.isVisible());
    QVERIFY(!a.editing);
    QVERIFY(!a.stopKey);
    QCOMPARE(a.store.readInteger("Main", "Entries", 0), 0);

    w.show();
    QCOMPARE(page(a), QString("pnlStart"));
    QVERIFY(w.cmdNext->isEnabled() && w.cmdNext->isVisible());
    QVERIFY(!w.cmdStepBack->isEnabled());
    QVERIFY(!w.cmdFinished->isVisible() && !w.cmdSave->isVisible());
    QVERIFY(w.edtMacroName->text().isEmpty() && w.edtTrigger->text().isEmpty());
    QCOMPARE(w.HotKey1->HotKey(), 0);
    QCOMPARE(w.HotKey1->text(), QString("None"));
    QVERIFY(!w.cmdPlayMouse->isEnabled() && !w.cmdPlayKeys->isEnabled());
    // What the design keeps from the previous use.
    QVERIFY(w.optRecMouse->isChecked() && w.optManual->isChecked());
    QCOMPARE(w.edtParameters->text(), QString("kept"));

    // The close box closes without asking.
    a.dialogs.shown.clear();
    w.close();
    QVERIFY(!w.isVisible() && !a.editing && !a.stopKey);
    QVERIFY(a.dialogs.shown.empty());
}

void FrmWizardTest::recordingKeystrokes() {
    Authoring a;
    TfrmWizard& w = *a.wizard;
    start(a, w.optRecMouse);
    w.optCapture->setChecked(true);
    w.cmdNext->click();
    w.edtMacroName->setText("Keys ");
    for (int i = 0; i < 3; ++i) w.cmdNext->click();
    QCOMPARE(page(a), QString("pnlRecordKeys"));
    w.cmdStartKeys->click();
    QCOMPARE(a.recorder.calls.back(), "record " + a.dir + "Keys.dat keys");
    QVERIFY(w.RecordingFromWizard);
    QVERIFY(!w.cmdStartKeys->isEnabled() && w.cmdStopKeys->isEnabled());
    QCOMPARE(w.focusWidget(), w.mmoKeys);
    QVERIFY(w.isVisible());
    w.cmdStopKeys->click();
    QCOMPARE(a.recorder.calls.back(), std::string("stop"));
    QVERIFY(w.cmdNext->isEnabled() && w.cmdPlayKeys->isEnabled() && w.cmdStartKeys->isEnabled());
    QVERIFY(!w.cmdStopKeys->isEnabled());
    w.cmdPlayKeys->click();
    QCOMPARE(a.recorder.calls.back(), "play " + a.dir + "Keys.dat fast");
    QVERIFY(!w.cmdPlayKeys->isEnabled());
    a.recorder.finish();
    QVERIFY(w.cmdPlayKeys->isEnabled() && w.cmdPlayMouse->isEnabled());
    QCOMPARE(a.statuses, std::vector<std::string>{"True"});
    QCOMPARE(a.playbackDone, 1);
}

void FrmWizardTest::recordingMouseAndKeyboardHidesTheWindows() {
    struct Case {
        bool highSpeed;
        bool stopByButton;
        const char* play;
    };
    const Case cases[] = {{false, false, " slow"}, {true, false, " fast"}, {false, true, " slow"}};
    for (const Case& c : cases) {
        Authoring a;
        TfrmWizard& w = *a.wizard;
        start(a, w.optRecMouse);
        w.optManual->setChecked(true);
        w.cmdNext->click();
        w.edtMacroName->setText("Mouse");
        for (int i = 0; i < 3; ++i) w.cmdNext->click();
        QCOMPARE(page(a), QString("pnlRecordMouse"));
        w.cmdRecordMouse->click();
        QCOMPARE(a.recorder.calls.back(), "record " + a.dir + "Mouse.dat all");
        QVERIFY(!w.isVisible());
        QVERIFY(!a.listVisible);
        QVERIFY(a.stopKey && a.editing);
        if (c.stopByButton) {
            w.cmdStopMouseClick();
            QVERIFY(!w.RecordingFromWizard);
        } else {
            w.EPHotkeyStopRecordHotKey();
        }
        QCOMPARE(a.recorder.calls.back(), std::string("stop"));
        QVERIFY(w.isVisible() && a.listVisible);
        QCOMPARE(page(a), QString("pnlRecordMouse"));  // showing again after a recording: no reset
        QCOMPARE(w.edtMacroName->text(), QString("Mouse"));
        QVERIFY(w.cmdNext->isEnabled() && w.cmdPlayMouse->isEnabled() &&
                w.cmdRecordMouse->isEnabled() && !w.cmdStopMouse->isEnabled());
        (c.highSpeed ? w.optHighSpeed : w.optNormalSpeed)->setChecked(true);
        w.cmdPlayMouse->click();
        QCOMPARE(a.recorder.calls.back(), "play " + a.dir + "Mouse.dat" + c.play);
        QVERIFY(!w.cmdPlayMouse->isEnabled());
        QVERIFY(w.isVisible());
    }
}

namespace {
void toRecordKeys(Authoring& a, const char* name) {
    TfrmWizard& w = *a.wizard;
    start(a, w.optRecMouse);
    w.optCapture->setChecked(true);
    w.cmdNext->click();
    w.edtMacroName->setText(name);
    for (int i = 0; i < 3; ++i) w.cmdNext->click();
}
}  // namespace

// Whichever way the user leaves a keystroke recording, it stops with its buttons, and the next
// opening can record again.
void FrmWizardTest::aKeystrokeRecordingEndsWithItsPage() {
    const std::vector<const char*> ways = {"Cancel", "close box", "Back", "stop key"};
    for (const char* way : ways) {
        Authoring a;
        TfrmWizard& w = *a.wizard;
        toRecordKeys(a, "Keys");
        w.cmdStartKeys->click();
        const QString how(way);
        if (how == "Cancel") w.cmdCancel->click();
        if (how == "close box") w.close();
        if (how == "Back") w.cmdStepBack->click();
        if (how == "stop key") w.EPHotkeyStopRecordHotKey();
        QVERIFY2(a.recorder.calls.back() == "stop", way);
        QCOMPARE(a.read("Keys.dat"), std::string("recorded 1"));
        QVERIFY2(w.cmdStartKeys->isEnabled() && !w.cmdStopKeys->isEnabled(), way);
        if (how == "stop key") QVERIFY(w.cmdPlayKeys->isEnabled() && w.cmdNext->isEnabled());
        if (w.isVisible()) continue;
        toRecordKeys(a, "Again");
        QCOMPARE(page(a), QString("pnlRecordKeys"));
        QVERIFY2(w.cmdStartKeys->isEnabled() && !w.cmdStopKeys->isEnabled(), way);
    }
}

void FrmWizardTest::aRecordingThatFailsStoresNothingAndSaysWhy() {
    const std::string why = "The recording could not be made: no RECORD. Nothing was stored.";
    for (bool atStart : {true, false}) {
        Authoring a;
        TfrmWizard& w = *a.wizard;
        // Keystrokes: the failure comes at the stop (a full disk) or while it runs (no capture).
        toRecordKeys(a, "Keys");
        a.recorder.failure = why;
        w.cmdStartKeys->click();
        if (atStart) a.recorder.OnRecordFailed(why);
        if (!atStart) w.cmdStopKeys->click();
        QCOMPARE(a.dialogs.last(), "error: " + why);
        QVERIFY(w.cmdStartKeys->isEnabled() && !w.cmdStopKeys->isEnabled());
        QVERIFY(!w.cmdPlayKeys->isEnabled() && !w.cmdNext->isEnabled());
        QCOMPARE(a.read("Keys.dat"), std::string("<missing>"));

        // Mouse and keyboard: the hidden windows come back.
        Authoring b;
        TfrmWizard& m = *b.wizard;
        start(b, m.optRecMouse);
        m.optManual->setChecked(true);
        m.cmdNext->click();
        m.edtMacroName->setText("Mouse");
        for (int i = 0; i < 3; ++i) m.cmdNext->click();
        b.recorder.failure = why;
        m.cmdRecordMouse->click();
        if (atStart) b.recorder.OnRecordFailed(why);
        if (!atStart) m.EPHotkeyStopRecordHotKey();
        QCOMPARE(b.dialogs.last(), "error: " + why);
        QVERIFY(m.isVisible() && b.listVisible);
        QVERIFY(m.cmdRecordMouse->isEnabled() && !m.cmdStopMouse->isEnabled());
        QVERIFY(!m.cmdPlayMouse->isEnabled() && !m.cmdNext->isEnabled());
    }
}

void FrmWizardTest::recordingKeptWhenTheNameChangesAfterwards() {
    Authoring a;
    TfrmWizard& w = *a.wizard;
    start(a, w.optRecMouse);
    w.optCapture->setChecked(true);
    w.cmdNext->click();
    w.edtMacroName->setText("First");
    for (int i = 0; i < 3; ++i) w.cmdNext->click();
    w.cmdStartKeys->click();
    w.cmdStopKeys->click();
    for (int i = 0; i < 3; ++i) w.cmdStepBack->click();
    QCOMPARE(page(a), QString("pnlName"));
    w.edtMacroName->setText("Second");
    for (int i = 0; i < 4; ++i) w.cmdNext->click();
    w.cmdFinished->click();
    QCOMPARE(a.read("Second.dat"), std::string("recorded 1"));
    QCOMPARE(a.read("First.dat"), std::string("<missing>"));
    QCOMPARE(a.store.readString("Macro1", "FileName", ""), std::string("Second.dat"));
}

void FrmWizardTest::hotKeyFieldRules() {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::ControlModifier, 0x4041, "Ctrl+A"},
        {Qt::Key_F12, Qt::ShiftModifier | Qt::ControlModifier, 0x607B, "Shift+Ctrl+F12"},
        {Qt::Key_5, Qt::AltModifier | Qt::ControlModifier, 0xC035, "Ctrl+Alt+5"},
        {Qt::Key_Semicolon, Qt::ControlModifier, 0x40BA, "Ctrl+;"},
        {Qt::Key_Colon, Qt::ControlModifier | Qt::ShiftModifier, 0x60BA, "Shift+Ctrl+;"},
        {Qt::Key_Home, Qt::AltModifier, 0x8024, "Alt+Home"},
        {Qt::Key_7, Qt::ControlModifier | Qt::KeypadModifier, 0x4067, "Ctrl+7"},
        {Qt::Key_Z, Qt::NoModifier, 0x5A, "Z"},                    // no modifier: kept, without any
        {Qt::Key_Z, Qt::ShiftModifier, 0x5A, "Z"},                 // Shift alone: dropped
        {Qt::Key_Backspace, Qt::NoModifier, 0, "None"},            // empties the field
        {Qt::Key_Control, Qt::ControlModifier, 0x4041, "Ctrl+A"},  // a modifier alone: no change
    };
    Authoring a;
    THotKey* field = a.wizard->HotKey1;
    for (const Case& c : cases) {
        if (c.key == Qt::Key_Backspace || c.key == Qt::Key_Control) field->setHotKey(0x4041);
        QTest::keyClick(field, c.key, c.mods);
        QCOMPARE(field->HotKey(), c.code);
        QCOMPARE(field->text(), QString(c.text));
    }
}

void FrmWizardTest::helpBrowseAndF1() {
    Authoring a;
    TfrmWizard& w = *a.wizard;
    start(a, w.optStartApp);
    w.cmdHotKeyHelp->click();
    QVERIFY(QString::fromStdString(a.dialogs.last())
                .startsWith("message: If you would like to launch this macro using a set of keys, "
                            "type them directly into this area.  You may use Alt, Ctrl, and or "
                            "Shift together with other keys to create a valid shortcut "
                            "combination.  It is important to choose a unique set of keys"));
    w.cmdWinTitleHelp->click();
    QCOMPARE(a.dialogs.last(),
             std::string("message: To have this macro run when a particular window appears, type "
                         "the entire title (not case sensitive) of the window that you would like "
                         "Keyloom to look for before running this macro.  To skip this option, "
                         "leave the area blank."));
    w.edtCommandLine->setText("old");
    w.cmdBrowse->click();  // nothing chosen: unchanged
    QCOMPARE(w.edtCommandLine->text(), QString("old"));
    a.dialogs.file = "/usr/bin/xterm";
    a.dialogs.folder = "/home";
    w.cmdBrowse->click();
    w.cmdStartIn->click();
    QCOMPARE(a.dialogs.last(), std::string("folder: Choose a folder below:"));
    QCOMPARE(w.edtCommandLine->text(), QString("/usr/bin/xterm"));
    QCOMPARE(w.edtStartIn->text(), QString("/home"));
    // F1 comes up in whatever has the focus, fields included; a step dialog is not the wizard.
    const std::pair<QWidget*, int> f1[] = {{&w, 1},
                                           {w.edtCommandLine, 1},
                                           {w.edtMacroName, 1},
                                           {w.HotKey1, 1},
                                           {w.mmoManKeys, 1},
                                           {w.cmdBrowse, 1},
                                           {w.cbShortCuts, 1},
                                           {w.frmWait->edtTime, 0},
                                           {w.frmExecute->edtStartIn, 0}};
    for (const auto& [widget, opened] : f1) {
        a.help.clear();
        QTest::keyRelease(widget, Qt::Key_F1);
        QCOMPARE(a.help.size(), static_cast<size_t>(opened));
        if (opened) QCOMPARE(a.help.front(), std::string("Operation"));
    }
    QCOMPARE(w.windowTitle(), QString("Macro Assistant"));
    QCOMPARE(w.cmdStepBack->text(), QString("< &Back"));
    QCOMPARE(w.cmdNext->text(), QString("&Next >"));
    QVERIFY(w.cmdNext->isDefault());
}

void FrmWizardTest::modalRunSurvivesHidingForARecording() {
    Authoring a;
    TfrmWizard& w = *a.wizard;
    std::vector<std::string> seen;
    QTimer::singleShot(0, [&] {
        w.optRecMouse->setChecked(true);
        w.optManual->setChecked(true);
        w.cmdNext->click();
        w.edtMacroName->setText("Modal");
        for (int i = 0; i < 3; ++i) w.cmdNext->click();
        w.cmdRecordMouse->click();
        QTimer::singleShot(10, [&] {
            seen.push_back(w.isVisible() ? "visible" : "hidden");
            w.EPHotkeyStopRecordHotKey();
            QTimer::singleShot(10, [&] {
                seen.push_back(w.isVisible() ? "visible" : "hidden");
                w.close();
            });
        });
    });
    w.ShowModal();
    QCOMPARE(seen, (std::vector<std::string>{"hidden", "visible"}));
    QVERIFY(!w.isVisible() && !a.editing && !a.stopKey);
}

QTEST_MAIN(FrmWizardTest)
#include "frm_wizard_test.moc"

void FrmWizardTest::recordingRefusedWhereTheDesktopCannotRecord() {
    struct Case {
        const char* kind;
        bool mouse;
    };
    for (const Case c : {Case{"keystrokes", false}, Case{"mouse and keyboard", true}}) {
        Authoring a(false, "No recording here.");
        TfrmWizard& w = *a.wizard;
        start(a, w.optRecMouse);
        (c.mouse ? w.optManual : w.optCapture)->setChecked(true);
        w.cmdNext->click();
        w.edtMacroName->setText("Refused");
        for (int i = 0; i < 3; ++i) w.cmdNext->click();
        QPushButton* record = c.mouse ? w.cmdRecordMouse : w.cmdStartKeys;
        QPushButton* stop = c.mouse ? w.cmdStopMouse : w.cmdStopKeys;
        QVERIFY2(record->isVisible(), c.kind);
        record->click();
        QCOMPARE(a.dialogs.last(), std::string("message: No recording here."));
        QVERIFY2(a.recorder.calls.empty(), c.kind);
        QVERIFY2(record->isEnabled() && !stop->isEnabled(), c.kind);
        QVERIFY2(w.isVisible() && a.listVisible && !w.RecordingFromWizard, c.kind);
    }
}
