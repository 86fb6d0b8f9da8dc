// The properties dialog as a user meets it, over a real catalogue and real side files.
#include <QKeyEvent>
#include <QTest>

#include "macros/authoring/hot_key_field.h"
#include "platform/x11/keymap_model.h"

#include "macros/authoring/authoring_test_support.h"

using namespace keyloom;
using namespace keyloom::test;

class FrmPropertiesTest : public QObject {
    Q_OBJECT
  private slots:
    void opensByType();
    void okChecks();
    void okRewritesAndRenames();
    void rerecordWithOkAndWithCancel();
    void rerecordMouseAndKeyboardThroughTheStopKey();
    void aFailedRerecordingKeepsWhatWasThere();
    void closeBoxAfterARecordingLeavesOtherMacrosAlone();
    void playback();
    void editModeSaveAndCancel();
    void editModeLoadFailure();
    void browsing();
    void hotKeyFieldTakesMnemonicCombinations();
    void hotKeyFieldStoresThePressedKeyOnAnyLayout();
};

namespace {

void open(Authoring& a, int n) {
    a.properties->FormShow(n);
    a.properties->show();
}

// One write of the whole file: the store syncs every write to disk, which adds up over the cases.
void seed(Authoring& a) {
    a.put("macros.ini",
          "[Main]\nShow Hints=0\nEntries=4\n"
          "[Macro1]\nName=Launch\nType=1\nHotKey=16449\nFileName=/usr/bin/gedit~~--new~~/tmp\n"
          "Trigger=Editor\n"
          "[Macro2]\nName=Keys\nType=2\nHotKey=24699\nFileName=Keys.dat\nTrigger=\n"
          "[Macro3]\nName=Mouse\nType=3\nHotKey=0\nFileName=Mouse.dat\nTrigger=Paint\nSpeed=2\n"
          "[Macro4]\nName=Adv\nType=4\nHotKey=0\nFileName=Adv.key\nTrigger=\n");
    a.put("Keys.dat", "keys");
    a.put("Mouse.dat", "mouse");
    a.put("Left.dat", "left by a deleted macro");
    a.put("Adv.key", "  Hello<<ENTER>>\r\nWorld\r\n\r\n");
}

}  // namespace

void FrmPropertiesTest::opensByType() {
    struct Case {
        int n;
        const char* label;
        bool launch, record, speed, edit, triggers;
        bool highSpeed;
        const char* play;  // recorder settings: PlayBackFileName, speed, capture
        bool hiSpeed, keysOnly;
    };
    const Case cases[] = {
        {1, "Start an Application or Launch a Document", true, false, false, false, false, false,
         "", false, false},
        {2, "Playback Keystrokes", false, true, false, false, true, false, "Keys.dat", true, true},
        {3, "Playback Mouse and Keyboard", false, true, true, false, true, true, "Mouse.dat", false,
         false},
        {4, "Playback Manually Created Keystrokes", false, false, false, true, true, false, "",
         false, false},
    };
    for (const Case& c : cases) {
        Authoring a;
        seed(a);
        TfrmProperties& p = *a.properties;
        p.mmoKeys->setPlainText("left over");
        a.recorder.PlayBackFileName = a.recorder.RecordFileName = "";
        open(a, c.n);
        QCOMPARE(p.windowTitle(), QString("Macro Properties"));
        QCOMPARE(p.lblMacroType->text(), QString(c.label));
        QCOMPARE(p.PropertiesMacroType, c.n);
        QCOMPARE(p.pnlLaunch->isVisible(), c.launch);
        QCOMPARE(p.pnlRecord->isVisible(), c.record);
        QCOMPARE(p.pnlSpeed->isVisible(), c.speed);
        QCOMPARE(p.cmdEditManKeys->isVisible(), c.edit);
        QCOMPARE(p.lblTriggers->isVisible(), c.triggers);
        QVERIFY(p.mmoKeys->toPlainText().isEmpty());
        QVERIFY(a.stopKey && a.editing);
        QCOMPARE(p.focusWidget(), static_cast<QWidget*>(p.edtMacroName));
        if (c.speed) QCOMPARE(p.optHighSpeed->isChecked(), c.highSpeed);
        if (*c.play) {
            QCOMPARE(a.recorder.PlayBackFileName, a.dir + c.play);
            QCOMPARE(a.recorder.RecordFileName, a.dir + "~temp.dat");
            QCOMPARE(a.recorder.HiSpeedPlayBack, c.hiSpeed);
            QCOMPARE(a.recorder.KeyStrokesOnly, c.keysOnly);
        } else {
            QCOMPARE(a.recorder.RecordFileName, std::string());
        }
    }
    Authoring a;
    seed(a);
    open(a, 1);
    TfrmProperties& p = *a.properties;
    QCOMPARE(p.edtMacroName->text(), QString("Launch"));
    QCOMPARE(p.KeyFileBase, std::string("Launch"));
    QCOMPARE(p.HotKey1->text(), QString("Ctrl+A"));
    QCOMPARE(p.edtTrigger->text(), QString("Editor"));
    QCOMPARE(p.edtFileName->text(), QString("/usr/bin/gedit"));
    QCOMPARE(p.edtParameters->text(), QString("--new"));
    QCOMPARE(p.edtStartIn->text(), QString("/tmp"));
    QCOMPARE(p.edtMacroName->maxLength(), 50);
}

void FrmPropertiesTest::okChecks() {
    struct Case {
        int n;
        const char* name;
        const char* file;
        const char* message;
        const char* focus;
    };
    const Case cases[] = {
        {2, "", "", "error: Please enter a name for this macro.", "edtMacroName"},
        {3, " \t ", "", "error: Please enter a name for this macro.", "edtMacroName"},
        {1, "Launch", "",
         "error: Please specify an application or document to launch.  You can "
         "search for files by selecting 'Browse'.",
         "cmdBrowse"},
        {2, "mouse ", "",
         "error: You have selected a name of an existing macro, please select "
         "another.",
         "edtMacroName"},
        {4, "a/b", "",
         "error: The macro name \"a/b\" cannot be used: a macro name may not "
         "contain \"/\".",
         "edtMacroName"},
        {3, "Left", "",
         "error: The macro cannot be named \"Left\": the file \"Left.dat\" of an earlier macro "
         "is still in the program folder. Choose another name, or remove or rename that file "
         "first.",
         "edtMacroName"},
        {2, "~temp", "",
         "error: The macro name \"~temp\" cannot be used: Keyloom keeps new recordings under "
         "that name.",
         "edtMacroName"},
        {4, "\"Adv\"", "",
         "error: The macro name \"\"Adv\"\" cannot be used: a macro name may not begin with a "
         "blank or be enclosed in quotation marks.",
         "edtMacroName"},
    };
    for (const Case& c : cases) {
        Authoring a;
        seed(a);
        open(a, c.n);
        TfrmProperties& p = *a.properties;
        p.edtMacroName->setText(c.name);
        p.edtFileName->setText(c.file);
        p.Button1->click();
        QCOMPARE(a.dialogs.last(), std::string(c.message));
        QVERIFY(p.isVisible());
        QCOMPARE(p.focusWidget()->objectName(), QString(c.focus));
        QCOMPARE(a.loadHotKeys, 0);
        QCOMPARE(a.store.readString("Macro2", "Name", ""), std::string("Keys"));
        QCOMPARE(a.store.readString("Macro3", "FileName", ""), std::string("Mouse.dat"));
    }
}

void FrmPropertiesTest::okRewritesAndRenames() {
    using Keys = std::vector<std::string>;
    struct Case {
        int n;
        const char* name;
        Keys keys;
        const char* file;  // the side file that must now exist
        const char* gone;
        int storedHotKey = -1;  // written before opening; -1 keeps the seed's
    };
    const Case cases[] = {
        {1,
         "Start ",
         {"Name=Start", "Type=1", "HotKey=16449", "FileName=/bin/x~~--new~~/tmp", "Trigger=Editor"},
         nullptr,
         nullptr},
        {2,
         "Typing  ",
         {"Name=Typing", "Type=2", "HotKey=24699", "FileName=Typing.dat", "Trigger="},
         "Typing.dat",
         "Keys.dat"},
        {3,
         "keys2",
         {"Name=keys2", "Type=3", "HotKey=0", "FileName=keys2.dat", "Trigger=Paint", "Speed=1"},
         "keys2.dat",
         "Mouse.dat"},
        {4,
         "Adv  ",
         {"Name=Adv", "Type=4", "HotKey=0", "FileName=Adv.key", "Trigger="},
         "Adv.key",
         nullptr},
        {4,
         "Advanced",
         {"Name=Advanced", "Type=4", "HotKey=0", "FileName=Advanced.key", "Trigger="},
         "Advanced.key",
         "Adv.key"},
        // A hot key the field would not take from the keyboard is still kept as stored.
        {2,
         "Keys",
         {"Name=Keys", "Type=2", "HotKey=8257", "FileName=Keys.dat", "Trigger="},
         "Keys.dat",
         nullptr,
         0x2041},
        // An entry of no known type keeps its FileName: the launch fields are not its own.
        {5,
         "Odd",
         {"Name=Odd", "Type=0", "HotKey=0", "FileName=odd~~thing", "Trigger="},
         nullptr,
         nullptr},
    };
    for (const Case& c : cases) {
        Authoring a;
        seed(a);
        if (c.n == 5) a.addMacro(5, "Odd", 0, "odd~~thing");
        if (c.storedHotKey >= 0)
            a.store.writeInteger(MacroCatalogue::section(c.n), "HotKey", c.storedHotKey);
        open(a, c.n);
        TfrmProperties& p = *a.properties;
        if (c.storedHotKey >= 0) QCOMPARE(p.HotKey1->HotKey(), c.storedHotKey);
        p.edtMacroName->setText(c.name);
        p.edtFileName->setText("/bin/x  ");
        p.optNormalSpeed->setChecked(true);
        p.Button1->click();
        QVERIFY(a.dialogs.shown.empty());
        QCOMPARE(a.keys(c.n), c.keys);
        if (c.file) QVERIFY(a.read(c.file) != "<missing>");
        if (c.gone) QCOMPARE(a.read(c.gone), std::string("<missing>"));
        QVERIFY(!p.isVisible());
        QCOMPARE(a.loadMacroList, 1);
        QCOMPARE(a.loadHotKeys, 1);
        QVERIFY(!a.editing && !a.stopKey);
    }
}

void FrmPropertiesTest::rerecordWithOkAndWithCancel() {
    for (bool ok : {true, false}) {
        Authoring a;
        seed(a);
        open(a, 2);
        TfrmProperties& p = *a.properties;
        p.edtMacroName->setText("Renamed");
        p.cmdRecord->click();
        QCOMPARE(a.recorder.calls.back(), "record " + a.dir + "~temp.dat keys");
        QVERIFY(p.Rerecorded);
        QVERIFY(!p.Button1->isEnabled() && !p.cmdCancelProps->isEnabled());
        QVERIFY(!p.cmdRecord->isEnabled() && p.cmdStop->isEnabled());
        QVERIFY(p.isVisible() && a.listVisible);
        p.cmdStop->click();
        QVERIFY(p.Button1->isEnabled() && p.cmdCancelProps->isEnabled());
        QVERIFY(p.cmdRecord->isEnabled() && !p.cmdStop->isEnabled());
        (ok ? p.Button1 : p.cmdCancelProps)->click();
        QVERIFY(!p.isVisible() && !a.editing && !p.Rerecorded);
        if (ok) {
            QCOMPARE(a.read("Renamed.dat"), std::string("recorded 1"));
            QCOMPARE(a.read("Keys.dat"), std::string("<missing>"));
            QCOMPARE(a.read("~temp.dat"), std::string("<missing>"));
            QCOMPARE(a.store.readString("Macro2", "FileName", ""), std::string("Renamed.dat"));
        } else {
            QCOMPARE(a.read("Keys.dat"), std::string("keys"));
            QCOMPARE(a.read("~temp.dat"), std::string("recorded 1"));
            QCOMPARE(a.store.readString("Macro2", "Name", ""), std::string("Keys"));
        }
    }
}

// A new recording that fails stores nothing: OK keeps the old one, and an earlier good take of
// the same showing stays the one that OK puts in place.
void FrmPropertiesTest::aFailedRerecordingKeepsWhatWasThere() {
    const std::string why = "The recording could not be made: full. Nothing was stored.";
    for (bool goodTakeFirst : {false, true}) {
        Authoring a;
        seed(a);
        open(a, 2);
        TfrmProperties& p = *a.properties;
        if (goodTakeFirst) {
            p.cmdRecord->click();
            p.cmdStop->click();
        }
        a.recorder.failure = why;
        p.cmdRecord->click();
        p.cmdStop->click();
        QCOMPARE(a.dialogs.last(), "error: " + why);
        QCOMPARE(p.Rerecorded, goodTakeFirst);
        QVERIFY(p.Button1->isEnabled() && p.cmdRecord->isEnabled() && !p.cmdStop->isEnabled());
        p.Button1->click();
        QCOMPARE(a.read("Keys.dat"), std::string(goodTakeFirst ? "recorded 1" : "keys"));
    }
}

void FrmPropertiesTest::rerecordMouseAndKeyboardThroughTheStopKey() {
    Authoring a;
    seed(a);
    open(a, 3);
    TfrmProperties& p = *a.properties;
    p.cmdRecord->click();
    QCOMPARE(a.recorder.calls.back(), "record " + a.dir + "~temp.dat all");
    QVERIFY(!p.isVisible() && !a.listVisible);
    QVERIFY(p.RecordingFromProperties);
    QVERIFY(a.stopKey);  // hiding for the recording keeps the stop key
    a.wizard->EPHotkeyStopRecordHotKey();
    QCOMPARE(a.recorder.calls.back(), std::string("stop"));
    QVERIFY(p.isVisible() && a.listVisible && !a.wizard->isVisible());
    QVERIFY(p.Button1->isEnabled() && p.cmdCancelProps->isEnabled() && p.cmdRecord->isEnabled());
    QVERIFY(!p.cmdStop->isEnabled());
    QCOMPARE(p.edtTrigger->text(), QString("Paint"));  // shown again: nothing reloaded
    p.optHighSpeed->setChecked(true);
    p.Button1->click();
    QCOMPARE(a.read("Mouse.dat"), std::string("recorded 1"));
    QCOMPARE(a.store.readInteger("Macro3", "Speed", 0), 2);
    QVERIFY(!a.stopKey);

    // The stop key while no recording of the dialog runs does not bring the dialog up.
    a.wizard->show();
    a.wizard->EPHotkeyStopRecordHotKey();
    QVERIFY(!p.isVisible());
}

void FrmPropertiesTest::closeBoxAfterARecordingLeavesOtherMacrosAlone() {
    Authoring a;
    seed(a);
    open(a, 2);
    TfrmProperties& p = *a.properties;
    p.cmdRecord->click();
    p.close();
    QVERIFY(!p.isVisible() && !a.stopKey && !a.editing);
    QCOMPARE(a.recorder.calls.back(), std::string("stop"));
    open(a, 3);
    QVERIFY(!p.Rerecorded);
    p.Button1->click();
    QCOMPARE(a.read("Mouse.dat"), std::string("mouse"));
    QCOMPARE(a.read("Keys.dat"), std::string("keys"));
}

void FrmPropertiesTest::playback() {
    struct Case {
        int n;
        bool rerecord;
        bool highSpeed;
        const char* expected;  // in the program folder; " fast" alone: no file at all
    };
    // Macro 5 has no FileName: its playback must not take the file of the last one played.
    const Case cases[] = {{2, false, false, "Keys.dat fast"},
                          {2, true, false, "~temp.dat fast"},
                          {3, false, true, "Mouse.dat fast"},
                          {3, false, false, "Mouse.dat slow"},
                          {5, false, false, " fast"}};
    for (const Case& c : cases) {
        Authoring a;
        seed(a);
        a.addMacro(5, "Unnamed file", 2, "");
        a.recorder.PlayBackFileName = a.dir + "Keys.dat";
        open(a, c.n);
        TfrmProperties& p = *a.properties;
        if (c.rerecord) {
            p.cmdRecord->click();
            p.cmdStop->click();
        }
        (c.highSpeed ? p.optHighSpeed : p.optNormalSpeed)->setChecked(true);
        p.cmdPlay->click();
        const std::string folder = *c.expected == ' ' ? "" : a.dir;
        QCOMPARE(a.recorder.calls.back(), "play " + folder + c.expected);
        QVERIFY(p.isVisible());
        QCOMPARE(p.focusWidget(), static_cast<QWidget*>(p.mmoKeys));
    }
}

void FrmPropertiesTest::editModeSaveAndCancel() {
    struct Case {
        const char* what;
        const char* nameAtSave;
        bool save;          // Save in the wizard, else its Cancel
        bool propertiesOk;  // then OK in the dialog, else Cancel
        const char* keyFile;
        const char* content;
        const char* fileName;  // FileName afterwards
    };
    const Case cases[] = {
        {"save, ok", "Adv", true, true, "Adv.key", "Hello<<ENTER>>\r\nWorld<<TAB>>\r\n", "Adv.key"},
        {"save under a new name, ok", "Greeting ", true, true, "Greeting.key",
         "Hello<<ENTER>>\r\nWorld<<TAB>>\r\n", "Greeting.key"},
        {"save under a new name, cancel", "Greeting", true, false, "Adv.key",
         "Hello<<ENTER>>\r\nWorld<<TAB>>\r\n", "Adv.key"},
        {"cancel in the wizard", "Adv", false, true, "Adv.key", "  Hello<<ENTER>>\r\nWorld\r\n\r\n",
         "Adv.key"},
    };
    for (const Case& c : cases) {
        Authoring a;
        seed(a);
        open(a, 4);
        TfrmProperties& p = *a.properties;
        TfrmWizard& w = *a.wizard;
        p.edtMacroName->setText(c.nameAtSave);
        QTimer::singleShot(0, [&] {
            QVERIFY(w.isVisible());
            QCOMPARE(w.pages->currentWidget(), w.pnlManualKeys);
            QVERIFY(w.imgEdit->isVisible() && w.cmdSave->isVisible());
            QVERIFY(!w.cmdNext->isVisible() && !w.cmdStepBack->isVisible() &&
                    !w.cmdFinished->isVisible());
            QCOMPARE(w.mmoManKeys->toPlainText(), QString("Hello<<ENTER>>\nWorld"));
            QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.mmoManKeys));
            QVERIFY(p.EditingFromProperties && w.EditingFromProperties);
            w.mmoManKeys->moveCursor(QTextCursor::End);
            w.cmdSpecialKeys->choose(20);
            (c.save ? w.cmdSave : w.cmdCancel)->click();
        });
        p.cmdEditManKeys->click();
        QVERIFY2(!w.isVisible(), c.what);
        QVERIFY(!p.EditingFromProperties && !w.EditingFromProperties);
        QVERIFY(!a.editing && !a.stopKey);  // the wizard's closing steps, as designed
        QVERIFY(a.dialogs.shown.empty());
        (c.propertiesOk ? p.Button1 : p.cmdCancelProps)->click();
        QVERIFY2(a.read(c.keyFile) == c.content, c.what);
        QVERIFY2(a.store.readString("Macro4", "FileName", "") == c.fileName, c.what);
        // The wizard opens for a new macro normally afterwards.
        w.show();
        QCOMPARE(w.pages->currentWidget(), w.pnlStart);
        QVERIFY(w.cmdNext->isVisible() && !w.cmdSave->isVisible() && !w.imgEdit->isVisible());
        w.close();
    }
}

void FrmPropertiesTest::editModeLoadFailure() {
    Authoring a;
    seed(a);
    a.addMacro(5, "Lost", 4, "Lost.key");
    open(a, 5);
    TfrmProperties& p = *a.properties;
    TfrmWizard& w = *a.wizard;
    w.mmoManKeys->setPlainText("stale");
    w.edtMacroName->setText("stale");
    w.cmdPlayKeys->setEnabled(true);
    p.cmdEditManKeys->click();
    QCOMPARE(a.dialogs.last(),
             std::string("message: Error: Keyloom could not load the macro file for this macro"));
    QVERIFY(!w.isVisible());
    QCOMPARE(w.pages->currentWidget(), w.pnlStart);
    QVERIFY(w.mmoManKeys->toPlainText().isEmpty() && w.edtMacroName->text().isEmpty());
    QVERIFY(!w.cmdPlayKeys->isEnabled());
    QVERIFY(!p.EditingFromProperties && !w.EditingFromProperties);
    QVERIFY(p.isVisible() && a.editing);
}

void FrmPropertiesTest::browsing() {
    Authoring a;
    seed(a);
    open(a, 1);
    TfrmProperties& p = *a.properties;
    a.dialogs.file = "/usr/bin/xterm";
    a.dialogs.folder = "/srv";
    p.cmdBrowse->click();
    p.cmdStartIn->click();
    QCOMPARE(a.dialogs.last(), std::string("folder: Choose a folder below:"));
    QCOMPARE(p.edtFileName->text(), QString("/usr/bin/xterm"));
    QCOMPARE(p.edtStartIn->text(), QString("/srv"));
    QCOMPARE(p.cmdStartIn->text(), QString(".."));
    // F1 comes up in whatever has the focus: the name field has it when the dialog opens.
    for (QWidget* widget :
         std::initializer_list<QWidget*>{&p, p.edtMacroName, p.HotKey1, p.edtTrigger, p.edtFileName,
                                         p.edtStartIn, p.cmdBrowse}) {
        a.help.clear();
        QTest::keyRelease(widget, Qt::Key_F1);
        QVERIFY2(a.help == std::vector<std::string>{"Operation"}, qPrintable(widget->objectName()));
    }
}

void FrmPropertiesTest::hotKeyFieldTakesMnemonicCombinations() {
    Authoring a;
    seed(a);
    open(a, 1);
    TfrmProperties& p = *a.properties;
    p.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p));
    // "&OK", "&Cancel", "&Browse", "&Edit Macro": in the field they are hot keys, not clicks.
    for (const Qt::Key key : {Qt::Key_O, Qt::Key_C, Qt::Key_B, Qt::Key_E}) {
        p.HotKey1->setFocus();
        QTest::keyClick(p.HotKey1, key, Qt::AltModifier);
        QCOMPARE(p.HotKey1->HotKey(), 0x8000 | ('A' + key - Qt::Key_A));
        QVERIFY(p.isVisible());
    }
    QCOMPARE(a.loadHotKeys, 0);
    QVERIFY(a.dialogs.shown.empty());
    QCOMPARE(a.store.readString("Macro1", "HotKey", ""), std::string("16449"));
}

void FrmPropertiesTest::hotKeyFieldStoresThePressedKeyOnAnyLayout() {
    using ostrevin::platform::KeymapModel;
    using ostrevin::platform::KeySnapshot;
    // A few keys of the French layout at their X keycodes.
    const std::vector<KeySnapshot> french = {
        {10, "AE01", {'&', '1'}}, {11, "AE02", {0xe9, '2', '~'}}, {16, "AE07", {0xe8, '7'}},
        {24, "AD01", {'a', 'A'}}, {47, "AC10", {'m', 'M'}},       {58, "AB07", {',', '?'}},
        {37, "LCTL", {0xffe3}},   {108, "RALT", {0xfe03}},        {34, "AD11", {0xfe52, 0xfe57}},
    };
    KeymapModel model;
    model.load(french, 108);
    THotKey field([&](std::uint8_t vk) {
        const std::uint8_t code = model.keycodeFor(vk);
        const char32_t ch = code ? KeymapModel::keysymToChar(model.keysymAt(code, 0)) : 0;
        return ch > 0x20 ? QString(QChar(char16_t(ch))).toStdString() : std::string();
    });
    field.keyOfScanCode = [&](std::uint32_t code) {
        return model.virtualKeyFor(std::uint8_t(code));
    };
    struct Case {
        Qt::Key key;
        const char* text;
        std::uint32_t keycode;
        Qt::KeyboardModifiers mods;
        const char* shown;   // the field's text afterwards
        bool stored = true;  // else the key left the field as it was
    };
    const Case cases[] = {
        {Qt::Key_Ampersand, "&", 10, Qt::ControlModifier, "Ctrl+1"},  // not Ctrl+7, the è key
        {Qt::Key_Eacute, "\u00e9", 11, Qt::ControlModifier, "Ctrl+2"},
        {Qt::Key_Eacute, "\u00e9", 11, Qt::ControlModifier | Qt::AltModifier, "Ctrl+Alt+2"},
        {Qt::Key_A, "a", 24, Qt::ControlModifier, "Ctrl+A"},
        {Qt::Key_Comma, ",", 58, Qt::ControlModifier, "Ctrl+,"},
        {Qt::Key_Control, "", 37, Qt::ControlModifier, "Ctrl+,", false},  // a modifier alone
        {Qt::Key_Dead_Circumflex, "", 34, Qt::ControlModifier, "Ctrl+,", false},  // has no name
        {Qt::Key_F5, "", 0, Qt::ControlModifier, "Ctrl+F5", false},  // no native code: Qt's key
    };
    for (const Case& c : cases) {
        QKeyEvent press(QEvent::KeyPress, c.key, c.mods, c.keycode, 0, 0, QString(c.text));
        QApplication::sendEvent(&field, &press);
        QCOMPARE(field.text(), QString(c.shown));
        // The stored key is grabbed back as the key that was pressed.
        if (c.stored)
            QCOMPARE(int(model.keycodeFor(std::uint8_t(field.HotKey() & 0xFF))), int(c.keycode));
    }
}

QTEST_MAIN(FrmPropertiesTest)
#include "frm_properties_test.moc"
