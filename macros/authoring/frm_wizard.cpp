#include "macros/authoring/frm_wizard.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>

#include "macros/authoring/frm_properties.h"
#include "macros/authoring/help_key.h"
#include "macros/catalogue/macro_name.h"
#include "widgets/qt_text.h"

namespace keyloom {

using ostrevin::widgets::toQString;
using ostrevin::widgets::toUtf8;

TfrmWizard::TfrmWizard(AuthoringServices services, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      writer_(services_.catalogue, services_.files, services_.rename) {
    setObjectName("frmWizard");
    setWindowTitle("Macro Assistant");
    resize(520, 420);
    buildPages();
    frmHint = new TfrmHint(services_.catalogue, services_.showHintsChecked, this);
    buildStepDialogs();
    new HelpKey(this, [this] {
        if (services_.showHelp) services_.showHelp("Operation");
    });
    // Every playback's end, also of macros run by hot key, comes through here as well.
    auto previous = services_.recorder.OnFinished;
    services_.recorder.OnFinished = [this, previous](bool userCancel) {
        if (previous) previous(userCancel);
        RecorderFinished(userCancel);
    };
    services_.recorder.OnRecordFailed = [this](const std::string& reason) {
        RecorderFailed(reason);
    };
    resetButtons();
    resetPages();
}

TfrmWizard::~TfrmWizard() = default;

void TfrmWizard::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec();
    modalLoop_ = nullptr;
}

void TfrmWizard::ShowHint(const std::string& text) {
    frmHint->ShowHint(text);
}

void TfrmWizard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (services_.setStopHotKeyEnabled) services_.setStopHotKeyEnabled(true);
    if (RecordingFromWizard) return;
    if (EditingFromProperties) {
        mmoManKeys->setFocus();
        return;
    }
    // Macro hot keys are ignored while the wizard is open.
    if (services_.setEditingMacro) services_.setEditingMacro(true);
    resetPages();
    resetButtons();
    recordedFile_.clear();
    optRecKeys->setFocus();
}

void TfrmWizard::resetButtons() {
    imgEdit->hide();
    cmdNext->show();
    cmdStepBack->show();
    cmdNext->setEnabled(true);
    cmdStepBack->setEnabled(false);
    cmdSave->hide();
    cmdFinished->hide();
    cmdNext->setDefault(true);
}

void TfrmWizard::resetPages() {
    pages->setCurrentWidget(pnlStart);
    edtMacroName->clear();
    edtCommandLine->clear();
    edtTrigger->clear();
    mmoManKeys->clear();
    HotKey1->setHotKey(0);
    cmdPlayKeys->setEnabled(false);
    cmdPlayMouse->setEnabled(false);
    cmdStartKeys->setEnabled(true);
    cmdStopKeys->setEnabled(false);
    cmdRecordMouse->setEnabled(true);
    cmdStopMouse->setEnabled(false);
}

void TfrmWizard::closeWizard() {
    // A recording never runs on without its window: it would capture everything typed until
    // the program ends, and every later playback would wait behind it.
    if (recordingPage_) stopRecordingHere();
    hide();
    if (services_.setEditingMacro) services_.setEditingMacro(false);
    RecordingFromWizard = false;
    if (services_.setStopHotKeyEnabled) services_.setStopHotKeyEnabled(false);
    if (modalLoop_) modalLoop_->quit();
}

void TfrmWizard::closeEvent(QCloseEvent* event) {
    if (EditingFromProperties) leaveEditMode();
    closeWizard();
    event->accept();
}

// Enter in the advanced macro text presses the default button, as in every other field;
// Ctrl+Enter still breaks the line.
bool TfrmWizard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mmoManKeys && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && !(key->modifiers() & Qt::ControlModifier)) {
            for (QPushButton* b : {cmdNext, cmdFinished, cmdSave})
                if (b->isVisible() && b->isEnabled()) {
                    b->click();
                    break;
                }
            return true;
        }
        if (enter) {
            mmoManKeys->insertPlainText("\n");
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmWizard::showPage(QWidget* page) {
    if (recordingPage_ && page != recordingPage_) stopRecordingHere();
    pages->setCurrentWidget(page);
}

void TfrmWizard::fillSummary() {
    lblSumName->setText(edtMacroName->text());
    QString type = "Playback advanced macro";
    if (optStartApp->isChecked())
        type = "Start an Application";
    else if (optRecMouse->isChecked())
        type = optCapture->isChecked() ? "Playback keyboard" : "Playback mouse and keyboard";
    lblSumType->setText(type);
    const std::string keys = shortcutText(HotKey1->HotKey(), services_.keyLabel);
    lblSumKeys->setText(HotKey1->HotKey() == 0 ? QString("None") : toQString(keys));
    lblSumTrigger->setText(edtTrigger->text().isEmpty() ? QString("None") : edtTrigger->text());
}

void TfrmWizard::showFinished() {
    showPage(pnlFinished);
    fillSummary();
    cmdNext->hide();
    cmdFinished->show();
    cmdFinished->setDefault(true);
    cmdStepBack->setEnabled(true);
    cmdFinished->setFocus();
}

void TfrmWizard::cmdNextClick() {
    QWidget* page = pages->currentWidget();
    if (page == pnlStart) {
        showPage(pnlName);
        edtMacroName->setFocus();
        cmdStepBack->setEnabled(true);
    } else if (page == pnlName) {
        cbShortCuts->setCurrentIndex(0);
        const std::string typed = toUtf8(edtMacroName->text());
        auto problem = writer_.nameProblem(typed);
        // A name of blanks alone would store an empty Name and a side file named ".dat".
        if (!problem && cleanMacroName(typed).empty())
            problem = "Please type a name for this macro.";
        if (problem) {
            services_.dialogs.error(this, toQString(*problem));
            edtMacroName->setFocus();
            return;
        }
        showPage(pnlHotKey);
        HotKey1->setFocus();
        cmdStepBack->setEnabled(true);
    } else if (page == pnlHotKey) {
        if (optRecKeys->isChecked()) {
            showPage(pnlManualKeys);
            mmoManKeys->setFocus();
        } else if (optRecMouse->isChecked()) {
            showPage(pnlKeystype);
            optCapture->isChecked() ? optCapture->setFocus() : optManual->setFocus();
        } else {
            showPage(pnlStartApp);
            cmdBrowse->setFocus();
        }
        cmdStepBack->setEnabled(true);
    } else if (page == pnlStartApp) {
        if (edtCommandLine->text().isEmpty()) {
            services_.dialogs.error(this,
                                    "Please specify an application or document to launch.  You "
                                    "can search for files by selecting 'Browse'.");
            cmdBrowse->setFocus();
            return;
        }
        showFinished();
    } else if (page == pnlKeystype) {
        showPage(optCapture->isChecked() ? pnlRecordKeys : pnlRecordMouse);
        cmdNext->setEnabled(false);
        cmdStepBack->setEnabled(true);
        fillSummary();
        (optCapture->isChecked() ? cmdStartKeys : cmdRecordMouse)->setFocus();
    } else if (page == pnlRecordKeys || page == pnlRecordMouse || page == pnlManualKeys) {
        showFinished();
    }
}

void TfrmWizard::cmdStepBackClick() {
    cmdNext->setEnabled(true);
    QWidget* page = pages->currentWidget();
    if (page == pnlName) {
        showPage(pnlStart);
        cmdStepBack->setEnabled(false);
        optRecKeys->isChecked()    ? optRecKeys->setFocus()
        : optRecMouse->isChecked() ? optRecMouse->setFocus()
                                   : optStartApp->setFocus();
    } else if (page == pnlStartApp) {
        showPage(pnlHotKey);
        HotKey1->setFocus();
    } else if (page == pnlRecordKeys || page == pnlRecordMouse) {
        showPage(pnlKeystype);
    } else if (page == pnlManualKeys || page == pnlKeystype) {
        showPage(pnlHotKey);
    } else if (page == pnlHotKey) {
        showPage(pnlName);
        edtMacroName->setFocus();
    } else if (page == pnlFinished) {
        cmdFinished->hide();
        cmdNext->show();
        cmdNext->setDefault(true);
        if (optStartApp->isChecked()) {
            showPage(pnlStartApp);
            cmdBrowse->setFocus();
        } else if (optRecMouse->isChecked()) {
            showPage(optCapture->isChecked() ? pnlRecordKeys : pnlRecordMouse);
        } else {
            showPage(pnlManualKeys);
            mmoManKeys->setFocus();
        }
    }
    if (!pages->currentWidget()->isAncestorOf(focusWidget())) cmdNext->setFocus();
}

NewMacro TfrmWizard::newMacro() const {
    NewMacro m;
    m.kind = optStartApp->isChecked()   ? WizardKind::Launch
             : optRecMouse->isChecked() ? WizardKind::MouseAndKeyboard
                                        : WizardKind::Advanced;
    m.keystrokesOnly = optCapture->isChecked();
    m.highSpeed = optHighSpeed->isChecked();
    m.name = toUtf8(edtMacroName->text());
    m.hotKey = HotKey1->HotKey();
    m.trigger = toUtf8(edtTrigger->text());
    m.commandLine = toUtf8(edtCommandLine->text());
    m.parameters = toUtf8(edtParameters->text());
    m.startIn = toUtf8(edtStartIn->text());
    m.advancedText = toUtf8(mmoManKeys->toPlainText());
    m.recordedFile = recordedFile_;
    return m;
}

void TfrmWizard::cmdFinishedClick() {
    const int number = writer_.append(newMacro());
    cmdFinished->hide();
    cmdNext->show();
    cmdNext->setDefault(true);
    const int place = cbShortCuts->currentIndex();
    closeWizard();
    if (place >= 1 && place <= 6 && services_.Shortcut_Create)
        guarded(this, [&] { services_.Shortcut_Create(place, number); });
    if (services_.processMessages) services_.processMessages();
    if (services_.LoadHotKeys) services_.LoadHotKeys();
}

void TfrmWizard::cmdCancelClick() {
    if (EditingFromProperties) {
        leaveEditMode();
        closeWizard();
        return;
    }
    if (services_.dialogs.confirm(this,
                                  "The Macro Setup Wizard has not finished creating your macro.  "
                                  "Are you sure you want to exit the wizard?"))
        closeWizard();
}

void TfrmWizard::prepareEditMode() {
    pages->setCurrentWidget(pnlManualKeys);
    imgEdit->show();
    cmdNext->hide();
    cmdStepBack->hide();
    cmdFinished->hide();
    cmdSave->show();
    cmdSave->setDefault(true);
    EditingFromProperties = true;
}

void TfrmWizard::leaveEditMode() {
    imgEdit->hide();
    cmdNext->show();
    cmdStepBack->show();
    cmdSave->hide();
    cmdFinished->hide();
    pages->setCurrentWidget(pnlStart);
}

void TfrmWizard::cmdSaveClick() {
    if (editModeSave && !editModeSave(toUtf8(mmoManKeys->toPlainText()))) return;
    closeWizard();
}

void TfrmWizard::cmdBrowseClick() {
    const QString file = services_.dialogs.chooseFile(this);
    if (!file.isEmpty()) edtCommandLine->setText(file);
}

void TfrmWizard::cmdStartInClick() {
    const QString folder = services_.dialogs.chooseFolder(this, "Choose a folder below:");
    if (!folder.isEmpty()) edtStartIn->setText(folder);
}

void TfrmWizard::cmdHotKeyHelpClick() {
    services_.dialogs.message(
        this,
        "If you would like to launch this macro using a set of keys, type them directly into "
        "this area.  You may use Alt, Ctrl, and or Shift together with other keys to create a "
        "valid shortcut combination.  It is important to choose a unique set of keys that are "
        "not globally assigned or used by the program that this macro is intended for.  For more "
        "information, see https://ostrevin.example.org/support/");
}

void TfrmWizard::cmdWinTitleHelpClick() {
    services_.dialogs.message(
        this,
        "To have this macro run when a particular window appears, type the entire title (not "
        "case sensitive) of the window that you would like Keyloom to look for before running "
        "this macro.  To skip this option, leave the area blank.");
}

void TfrmWizard::InsertAtCaret(const std::string& text, bool focusText) {
    const QString token = toQString(text);
    QApplication::clipboard()->setText(token);
    mmoManKeys->insertPlainText(token);
    if (focusText) mmoManKeys->setFocus();
}

}  // namespace keyloom
