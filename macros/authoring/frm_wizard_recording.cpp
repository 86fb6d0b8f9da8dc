// Recording and test playback from the wizard, and the stop hot key.
#include <utility>

#include "macros/authoring/frm_properties.h"
#include "macros/authoring/frm_wizard.h"
#include "macros/catalogue/macro_name.h"
#include "widgets/qt_text.h"

namespace keyloom {

namespace {
// The recording buttons stay as they were: nothing started, so nothing to stop.
bool refuseRecording(const AuthoringServices& services, QWidget* parent) {
    if (services.recordingRefusal.empty()) return false;
    services.dialogs.message(parent, ostrevin::widgets::toQString(services.recordingRefusal));
    return true;
}
}  // namespace

std::string TfrmWizard::recordFilePath() const {
    return writer_.folderPath(
        sideFileName(ostrevin::widgets::toUtf8(edtMacroName->text()), ".dat"));
}

void TfrmWizard::cmdStartKeysClick() {
    if (refuseRecording(services_, this)) return;
    ShowHint(
        "When you close this box, Keyloom will start to record all of the keys that you press.  "
        "You do not need to use the space at the bottom to record your keystrokes - it is only "
        "there if you need it.  You may open the program that you intend this macro to be run "
        "within and begin typing in it.  When you are finished, simply use your maouse to click "
        "the Stop Recording button in Keyloom.");
    RecordingFromWizard = isVisible();
    mmoKeys->setFocus();
    cmdStartKeys->setEnabled(false);
    cmdStopKeys->setEnabled(true);
    TOlejrnl& recorder = services_.recorder;
    recorder.RecordFileName = recordedFile_ = recordFilePath();
    recorder.KeyStrokesOnly = true;
    recordingPage_ = pnlRecordKeys;
    recorder.StartRecording();
}

// Next and Playback only for a recording that is in its file: one that failed stored nothing.
void TfrmWizard::keystrokeButtonsAfterStop(bool made) {
    if (made) {
        cmdNext->setEnabled(true);
        cmdPlayKeys->setEnabled(true);
    }
    cmdStopKeys->setEnabled(false);
    cmdStartKeys->setEnabled(true);
}

void TfrmWizard::mouseButtonsAfterStop(bool made) {
    if (made) {
        cmdNext->setEnabled(true);
        cmdPlayMouse->setEnabled(true);
    }
    cmdStopMouse->setEnabled(false);
    cmdRecordMouse->setEnabled(true);
}

bool TfrmWizard::stopRecordingHere() {
    QWidget* page = std::exchange(recordingPage_, nullptr);
    const bool made = services_.recorder.StopRecording();
    if (page == pnlRecordKeys)
        keystrokeButtonsAfterStop(made);
    else
        mouseButtonsAfterStop(made);
    return made;
}

void TfrmWizard::cmdStopKeysClick() {
    stopRecordingHere();
    (cmdPlayKeys->isEnabled() ? cmdPlayKeys : cmdStartKeys)->setFocus();
}

void TfrmWizard::cmdPlayKeysClick() {
    mmoKeys->setFocus();
    cmdPlayKeys->setEnabled(false);
    TOlejrnl& recorder = services_.recorder;
    recorder.HiSpeedPlayBack = true;
    recorder.PlayBackFileName = recorder.RecordFileName;
    recorder.StartPlayBack();
}

void TfrmWizard::cmdRecordMouseClick() {
    if (refuseRecording(services_, this)) return;
    ShowHint(
        "When you close this box, Keyloom will disappear and start recording all of your "
        "keyboard and mouse actions.  To end recording type Shift+Ctrl+F12.");
    cmdRecordMouse->setEnabled(false);
    cmdStopMouse->setEnabled(true);
    TOlejrnl& recorder = services_.recorder;
    recorder.RecordFileName = recordedFile_ = recordFilePath();
    recorder.KeyStrokesOnly = false;
    RecordingFromWizard = true;
    if (services_.showMacroList) services_.showMacroList(false);
    hide();
    recordingPage_ = pnlRecordMouse;
    recorder.StartRecording();
}

void TfrmWizard::cmdStopMouseClick() {
    stopRecordingHere();
    if (services_.showMacroList) services_.showMacroList(true);
    show();
    RecordingFromWizard = false;
}

void TfrmWizard::EPHotkeyStopRecordHotKey() {
    // The key stops a keystroke recording as well as its Stop button does, buttons included.
    const bool made = stopRecordingHere();
    QWidget* restore = this;
    // Only a recording of the properties dialog brings that dialog back; the key pressed
    // while the wizard is up must not pop up a stale properties dialog.
    if (!RecordingFromWizard) {
        if (!frmProperties_ || !frmProperties_->recordingInProgress()) {
            if (isVisible()) raise();
            return;
        }
        frmProperties_->stoppedByHotKey(made);
        restore = frmProperties_;
    }
    if (services_.showMacroList) services_.showMacroList(true);
    restore->show();
    restore->raise();
    restore->activateWindow();
}

void TfrmWizard::cmdPlayMouseClick() {
    cmdPlayMouse->setEnabled(false);
    TOlejrnl& recorder = services_.recorder;
    recorder.HiSpeedPlayBack = false;
    recorder.PlayBackFileName = recorder.RecordFileName;
    recorder.HiSpeedPlayBack = optHighSpeed->isChecked();
    recorder.StartPlayBack();
}

void TfrmWizard::RecorderFinished(bool) {
    cmdPlayKeys->setEnabled(true);
    cmdPlayMouse->setEnabled(true);
    if (services_.recordFinished) services_.recordFinished("True");
    if (services_.setPlaybackDone) services_.setPlaybackDone();
}

// The failure may come while the recording runs (no capture) or after its stop (its file could
// not be written); either way its window comes back as after a stop of nothing.
void TfrmWizard::RecorderFailed(const std::string& reason) {
    QWidget* owner = nullptr;
    if (QWidget* page = std::exchange(recordingPage_, nullptr)) {
        if (page == pnlRecordKeys) {
            keystrokeButtonsAfterStop(false);
        } else {
            mouseButtonsAfterStop(false);
            if (services_.showMacroList) services_.showMacroList(true);
            show();
            RecordingFromWizard = false;
        }
        owner = this;
    } else if (frmProperties_ && frmProperties_->recordingInProgress()) {
        frmProperties_->recordingFailed();
        owner = frmProperties_;
    } else if (isVisible()) {
        owner = this;
    } else if (frmProperties_ && frmProperties_->isVisible()) {
        owner = frmProperties_;
    }
    services_.dialogs.error(owner, ostrevin::widgets::toQString(reason));
}

}  // namespace keyloom
