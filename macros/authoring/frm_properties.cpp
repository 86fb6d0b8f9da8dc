#include "macros/authoring/frm_properties.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "macros/authoring/frm_wizard.h"
#include "macros/authoring/help_key.h"
#include "macros/catalogue/launch_command.h"
#include "macros/catalogue/macro_entry.h"
#include "macros/catalogue/macro_name.h"
#include "widgets/qt_text.h"

namespace keyloom {

using ostrevin::widgets::toQString;
using ostrevin::widgets::toUtf8;

TfrmProperties::TfrmProperties(AuthoringServices services, TfrmWizard& wizard, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      wizard_(wizard),
      writer_(services_.catalogue, services_.files, services_.rename) {
    setObjectName("frmProperties");
    setWindowTitle("Macro Properties");
    buildControls();
    new HelpKey(this, [this] {
        if (services_.showHelp) services_.showHelp("Operation");
    });
    wizard_.setPropertiesDialog(this);
}

void TfrmProperties::ShowModal(int number) {
    FormShow(number);
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec();
    modalLoop_ = nullptr;
}

void TfrmProperties::FormShow(int number) {
    if (services_.setStopHotKeyEnabled) services_.setStopHotKeyEnabled(true);
    if (services_.setEditingMacro) services_.setEditingMacro(true);
    Rerecorded = false;
    keyFileSaved_ = false;
    recording_ = false;
    edtMacroName->setFocus();
    mmoKeys->clear();
    number_ = number;
    const MacroEntry entry = services_.catalogue.entry(number);
    PropertiesMacroType = entry.type;
    storedName_ = entry.name;
    storedFileName_ = entry.fileName;
    showForType(entry.type);
    if (entry.type == 1) {
        const LaunchCommand command = splitLaunchCommand(entry.fileName);
        edtFileName->setText(toQString(command.file));
        edtParameters->setText(toQString(command.parameters));
        edtStartIn->setText(toQString(command.folder));
    }
    if (entry.type == 3) (entry.speed == 1 ? optNormalSpeed : optHighSpeed)->setChecked(true);
    applyRecorderSettings();
    edtMacroName->setText(toQString(entry.name));
    KeyFileBase = entry.name;
    HotKey1->setHotKey(entry.hotKey);
    edtTrigger->setText(toQString(entry.trigger));
    cmdRecord->setEnabled(true);
    cmdStop->setEnabled(false);
    Button1->setEnabled(true);
    cmdCancelProps->setEnabled(true);
}

void TfrmProperties::applyRecorderSettings() {
    const int type = PropertiesMacroType;
    if (type != 2 && type != 3) return;
    TOlejrnl& recorder = services_.recorder;
    // A FileName that names no side file plays nothing, never the file last played.
    recorder.PlayBackFileName = services_.catalogue.sideFilePath(storedFileName_).value_or("");
    recorder.RecordFileName = writer_.folderPath(kTempRecording);
    recorder.HiSpeedPlayBack = type == 2;
    recorder.KeyStrokesOnly = type == 2;
}

void TfrmProperties::showForType(int type) {
    lblMacroType->setText(typeLabelFor(type));
    pnlLaunch->setVisible(type == 1);
    pnlRecord->setVisible(type == 2 || type == 3);
    pnlSpeed->setVisible(type == 3);
    cmdEditManKeys->setVisible(type == 4);
    lblTriggers->setVisible(type >= 2 && type <= 4);
    const QStyle::StandardPixmap pictures[] = {
        QStyle::SP_MessageBoxQuestion, QStyle::SP_FileDialogStart, QStyle::SP_FileIcon,
        QStyle::SP_DesktopIcon, QStyle::SP_FileDialogDetailedView};
    imgType->setPixmap(
        style()->standardIcon(pictures[type >= 1 && type <= 4 ? type : 0]).pixmap(32, 32));
}

void TfrmProperties::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (services_.setStopHotKeyEnabled) services_.setStopHotKeyEnabled(true);
}

void TfrmProperties::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous()) return;
    if (!RecordingFromProperties && services_.setStopHotKeyEnabled)
        services_.setStopHotKeyEnabled(false);
}

void TfrmProperties::closeDialog() {
    hide();
    if (services_.setStopHotKeyEnabled) services_.setStopHotKeyEnabled(false);
    if (modalLoop_) modalLoop_->quit();
}

void TfrmProperties::closeEvent(QCloseEvent* event) {
    event->accept();
    if (recording_) services_.recorder.StopRecording();
    recording_ = false;
    discard();
}

void TfrmProperties::reject() {
    if (cmdCancelProps->isEnabled()) cmdCancelPropsClick();
}

void TfrmProperties::Button1Click() {
    const std::string name = toUtf8(edtMacroName->text());
    if (cleanMacroName(name).empty()) {
        services_.dialogs.error(this, "Please enter a name for this macro.");
        edtMacroName->setFocus();
        return;
    }
    if (PropertiesMacroType == 1 && edtFileName->text().isEmpty()) {
        services_.dialogs.error(this,
                                "Please specify an application or document to launch.  You can "
                                "search for files by selecting 'Browse'.");
        cmdBrowse->setFocus();
        return;
    }
    EditedMacro m;
    m.number = number_;
    m.type = PropertiesMacroType;
    m.storedName = storedName_;
    m.storedFileName = storedFileName_;
    // After the edit mode's Save the advanced text lies under the name it was saved with.
    if (PropertiesMacroType == 4 && keyFileSaved_) {
        m.storedName = KeyFileBase;
        m.storedFileName = sideFileName(KeyFileBase, ".key");
    }
    auto problem = writer_.nameProblem(name, number_);
    if (!problem) problem = writer_.sideFileProblem(name, m.type, m.storedFileName);
    if (problem) {
        services_.dialogs.error(this, toQString(*problem));
        edtMacroName->setFocus();
        return;
    }
    m.name = name;
    m.hotKey = HotKey1->HotKey();
    m.trigger = toUtf8(edtTrigger->text());
    m.file = toUtf8(edtFileName->text());
    m.parameters = toUtf8(edtParameters->text());
    m.startIn = toUtf8(edtStartIn->text());
    m.highSpeed = optHighSpeed->isChecked();
    m.rerecorded = Rerecorded;
    writer_.rewrite(m);
    if (services_.LoadMacroList) services_.LoadMacroList();
    if (services_.LoadHotKeys) services_.LoadHotKeys();
    if (services_.setEditingMacro) services_.setEditingMacro(false);
    Rerecorded = false;
    closeDialog();
}

void TfrmProperties::discard() {
    if (services_.setEditingMacro) services_.setEditingMacro(false);
    Rerecorded = false;
    if (PropertiesMacroType == 4 && keyFileSaved_)
        guarded(this, [&] { writer_.restoreKeyFile(KeyFileBase, storedFileName_); });
    keyFileSaved_ = false;
    closeDialog();
}

void TfrmProperties::cmdCancelPropsClick() {
    discard();
}

void TfrmProperties::cmdRecordClick() {
    rerecordedBefore_ = Rerecorded;
    Rerecorded = true;
    recording_ = true;
    cmdRecord->setEnabled(false);
    cmdStop->setEnabled(true);
    mmoKeys->setFocus();
    Button1->setEnabled(false);
    cmdCancelProps->setEnabled(false);
    applyRecorderSettings();
    if (PropertiesMacroType == 3) {
        RecordingFromProperties = true;
        if (services_.showMacroList) services_.showMacroList(false);
        hide();
    }
    services_.recorder.StartRecording();
}

void TfrmProperties::cmdStopClick() {
    Button1->setEnabled(true);
    cmdCancelProps->setEnabled(true);
    // A recording that failed stored nothing: OK must not put a missing "~temp.dat" in place.
    if (!services_.recorder.StopRecording()) Rerecorded = rerecordedBefore_;
    recording_ = false;
    cmdStop->setEnabled(false);
    cmdRecord->setEnabled(true);
    if (services_.showMacroList) services_.showMacroList(true);
    show();
}

void TfrmProperties::stoppedByHotKey(bool made) {
    if (!made) Rerecorded = rerecordedBefore_;
    recording_ = false;
    cmdStop->setEnabled(false);
    cmdRecord->setEnabled(true);
    cmdCancelProps->setEnabled(true);
    Button1->setEnabled(true);
}

void TfrmProperties::recordingFailed() {
    stoppedByHotKey(false);
    if (services_.showMacroList) services_.showMacroList(true);
    show();
}

void TfrmProperties::cmdPlayClick() {
    TOlejrnl& recorder = services_.recorder;
    applyRecorderSettings();
    if (Rerecorded) recorder.PlayBackFileName = writer_.folderPath(kTempRecording);
    mmoKeys->setFocus();
    if (PropertiesMacroType == 3) recorder.HiSpeedPlayBack = optHighSpeed->isChecked();
    recorder.StartPlayBack();
}

void TfrmProperties::cmdBrowseClick() {
    const QString file = services_.dialogs.chooseFile(this);
    if (!file.isEmpty()) edtFileName->setText(file);
}

void TfrmProperties::cmdStartInClick() {
    const QString folder = services_.dialogs.chooseFolder(this, "Choose a folder below:");
    if (!folder.isEmpty()) edtStartIn->setText(folder);
}

void TfrmProperties::cmdEditManKeysClick() {
    wizard_.prepareEditMode();
    EditingFromProperties = true;
    const auto text = writer_.loadKeyFile(KeyFileBase);
    if (!text) {
        services_.dialogs.message(this,
                                  "Error: Keyloom could not load the macro file for this macro");
        wizard_.resetPages();
        wizard_.EditingFromProperties = false;
        EditingFromProperties = false;
        return;
    }
    QString body = toQString(*text);
    body.replace("\r\n", "\n");
    wizard_.mmoManKeys->setPlainText(body);
    wizard_.editModeSave = [this](const std::string& t) { return saveFromEditMode(t); };
    wizard_.ShowModal();
    wizard_.editModeSave = nullptr;
    wizard_.EditingFromProperties = false;
    EditingFromProperties = false;
}

bool TfrmProperties::saveFromEditMode(const std::string& text) {
    const std::string name = toUtf8(edtMacroName->text());
    // The text is saved under the name field: never onto another macro's file.
    auto problem = writer_.nameProblem(name, number_);
    if (!problem) problem = writer_.sideFileProblem(name, 4, sideFileName(KeyFileBase, ".key"));
    if (problem) {
        services_.dialogs.error(&wizard_, toQString(*problem));
        return false;
    }
    if (cleanMacroName(name).empty()) {
        services_.dialogs.error(&wizard_, "Please enter a name for this macro.");
        return false;
    }
    writer_.saveKeyFile(KeyFileBase, name, text);
    KeyFileBase = name;
    keyFileSaved_ = true;
    return true;
}

}  // namespace keyloom
