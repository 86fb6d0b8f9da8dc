// Recording and test playback from the wizard, and the stop hot key.
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
    recorder.StartRecording();
}

void TfrmWizard::cmdStopKeysClick() {
    cmdNext->setEnabled(true);
    services_.recorder.StopRecording();
    cmdStopKeys->setEnabled(false);
    cmdStartKeys->setEnabled(true);
    cmdPlayKeys->setEnabled(true);
    cmdPlayKeys->setFocus();
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
    recorder.StartRecording();
}

void TfrmWizard::cmdStopMouseClick() {
    cmdNext->setEnabled(true);
    services_.recorder.StopRecording();
    cmdStopMouse->setEnabled(false);
    cmdRecordMouse->setEnabled(true);
    cmdPlayMouse->setEnabled(true);
    if (services_.showMacroList) services_.showMacroList(true);
    show();
    RecordingFromWizard = false;
}

void TfrmWizard::EPHotkeyStopRecordHotKey() {
    cmdNext->setEnabled(true);
    services_.recorder.StopRecording();
    cmdStopMouse->setEnabled(false);
    cmdRecordMouse->setEnabled(true);
    cmdPlayMouse->setEnabled(true);
    QWidget* restore = this;
    // Only a recording of the properties dialog brings that dialog back; the key pressed
    // while the wizard is up must not pop up a stale properties dialog.
    if (!RecordingFromWizard) {
        if (!frmProperties_ || !frmProperties_->recordingInProgress()) {
            if (isVisible()) raise();
            return;
        }
        frmProperties_->stoppedByHotKey();
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

}  // namespace keyloom
