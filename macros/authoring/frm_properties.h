// "Macro Properties": edits an existing macro's name, hot key and window trigger, its launch
// command, a new recording, or its advanced text through the wizard's edit mode.
#pragma once

#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "macros/authoring/hot_key_field.h"
#include "macros/authoring/macro_writer.h"
#include "macros/authoring/wizard_services.h"

namespace keyloom {

class TfrmWizard;

class TfrmProperties : public QDialog {
    Q_OBJECT
  public:
    TfrmProperties(AuthoringServices services, TfrmWizard& wizard, QWidget* parent = nullptr);

    // Opens for macro n (the selected row's index plus one); returns when the dialog closes.
    // Hiding it for a recording does not end it.
    void ShowModal(int number);
    // The opening steps alone, for a dialog shown without its own loop.
    void FormShow(int number);

    void Button1Click();
    void cmdCancelPropsClick();
    void cmdRecordClick();
    void cmdStopClick();
    void cmdPlayClick();
    void cmdBrowseClick();
    void cmdStartInClick();
    void cmdEditManKeysClick();

    // For the stop hot key, which the wizard handles.
    bool recordingInProgress() const { return recording_; }
    void stoppedByHotKey(bool made);
    // The recording could not be made: nothing was stored, the dialog comes back as before it.
    void recordingFailed();

    int PropertiesMacroType = 0;
    std::string KeyFileBase;
    bool Rerecorded = false;
    bool RecordingFromProperties = false;
    bool EditingFromProperties = false;

    QLabel* lblMacroType;
    QLabel* imgType;
    QLineEdit* edtMacroName;
    THotKey* HotKey1;
    QLineEdit* edtTrigger;
    QLabel* lblTriggers;
    QWidget* pnlLaunch;
    QLineEdit *edtFileName, *edtParameters, *edtStartIn;
    QPushButton *cmdBrowse, *cmdStartIn;
    QWidget* pnlSpeed;
    QRadioButton *optNormalSpeed, *optHighSpeed;
    QWidget* pnlRecord;
    QPushButton *cmdRecord, *cmdStop, *cmdPlay;
    QPlainTextEdit* mmoKeys;
    QPushButton* cmdEditManKeys;
    QPushButton *Button1, *cmdCancelProps;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void buildControls();
    QWidget* buildLaunchPanel();
    QWidget* buildRecordPanel();
    void showForType(int type);
    bool saveFromEditMode(const std::string& text);
    void closeDialog();
    // Cancel, also by the close box: nothing is written, and a ".key" the edit mode saved under
    // another name goes back to the name the catalogue still has.
    void discard();
    void applyRecorderSettings();

    AuthoringServices services_;
    TfrmWizard& wizard_;
    MacroWriter writer_;
    int number_ = 0;
    std::string storedName_;
    std::string storedFileName_;
    bool keyFileSaved_ = false;
    bool recording_ = false;
    bool rerecordedBefore_ = false;  // Rerecorded before the running recording began
    QEventLoop* modalLoop_ = nullptr;
};

}  // namespace keyloom
