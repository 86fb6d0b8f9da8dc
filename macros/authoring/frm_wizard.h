// "Macro Assistant": creates a macro of any kind page by page, records keystrokes or mouse and
// keyboard through the recorder, and writes the new catalogue entry with its side file. The same
// window serves the properties dialog's edit mode with its advanced macro page alone.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <memory>
#include <string>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/frm_execute.h"
#include "macros/authoring/frm_hint.h"
#include "macros/authoring/frm_input_box.h"
#include "macros/authoring/frm_repeat.h"
#include "macros/authoring/frm_wait.h"
#include "macros/authoring/frm_wait_for_window.h"
#include "macros/authoring/hot_key_field.h"
#include "macros/authoring/macro_writer.h"
#include "macros/authoring/wizard_services.h"
#include "widgets/ep_menu_button.h"

namespace keyloom {

class TfrmProperties;

class TfrmWizard : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmWizard(AuthoringServices services, QWidget* parent = nullptr);
    ~TfrmWizard() override;

    // Shows the wizard modally; returns when it closes. Hiding it for a recording does not end it.
    void ShowModal();
    void ShowHint(const std::string& text);
    // The text replaces the selection of the advanced macro text, through the clipboard.
    void InsertAtCaret(const std::string& text, bool focusText = true);

    void setPropertiesDialog(TfrmProperties* properties) { frmProperties_ = properties; }

    // Handlers, named as the controls and events they serve.
    void cmdNextClick();
    void cmdStepBackClick();
    void cmdFinishedClick();
    void cmdCancelClick();
    void cmdSaveClick();
    void cmdStartKeysClick();
    void cmdStopKeysClick();
    void cmdPlayKeysClick();
    void cmdRecordMouseClick();
    void cmdStopMouseClick();
    void cmdPlayMouseClick();
    void EPHotkeyStopRecordHotKey();
    void RecorderFinished(bool userCancel);
    // A recording that could not be made, from here or from the properties dialog.
    void RecorderFailed(const std::string& reason);
    void cmdBrowseClick();
    void cmdStartInClick();
    void cmdHotKeyHelpClick();
    void cmdWinTitleHelpClick();
    void cmdSpecialKeysChange(int index);
    void EPMenuButton1Change(int index);
    void EPMenuButton2Change(int index);
    void EPMenuButton3Change(int index);
    void EPMenuButton4Change(int index);
    void cmdDelayClick();

    // The edit mode of the properties dialog: the advanced page alone with "&Save".
    void prepareEditMode();
    void leaveEditMode();
    // The reset after the edit mode could not load its file.
    void resetPages();

    bool RecordingFromWizard = false;
    bool EditingFromProperties = false;
    // The edit mode's Save, done by the properties dialog; false keeps the wizard open.
    std::function<bool(const std::string& text)> editModeSave;

    // Pages, in the order the kinds meet them.
    QStackedWidget* pages;
    QWidget *pnlStart, *pnlName, *pnlHotKey, *pnlKeystype, *pnlRecordKeys, *pnlRecordMouse,
        *pnlStartApp, *pnlManualKeys, *pnlFinished;
    QLabel* imgEdit;

    QRadioButton *optRecKeys, *optRecMouse, *optStartApp;
    QLineEdit* edtMacroName;
    THotKey* HotKey1;
    QLineEdit* edtTrigger;
    QPushButton *cmdHotKeyHelp, *cmdWinTitleHelp;
    QComboBox* cbShortCuts;
    QRadioButton *optCapture, *optManual;
    QPushButton *cmdStartKeys, *cmdStopKeys, *cmdPlayKeys;
    QPlainTextEdit* mmoKeys;
    QPushButton *cmdRecordMouse, *cmdStopMouse, *cmdPlayMouse;
    QRadioButton *optNormalSpeed, *optHighSpeed;
    QLineEdit *edtCommandLine, *edtParameters, *edtStartIn;
    QPushButton *cmdBrowse, *cmdStartIn;
    QPlainTextEdit* mmoManKeys;
    ostrevin::widgets::TEPMenuButton *cmdSpecialKeys, *EPMenuButton1, *EPMenuButton2,
        *EPMenuButton3, *EPMenuButton4;
    QPushButton* cmdDelay;
    QLabel *lblSumName, *lblSumType, *lblSumKeys, *lblSumTrigger;
    QPushButton *cmdStepBack, *cmdNext, *cmdFinished, *cmdCancel, *cmdSave;

    TfrmHint* frmHint;
    TfrmWait* frmWait;
    TfrmRepeat* frmRepeat;
    TfrmInputBox* frmInputBox;
    TfrmWaitforWindow* frmWaitforWindow;
    TfrmExecute* frmExecute;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override { cmdCancelClick(); }

  private:
    void buildPages();
    QWidget* buildStartPage();
    QWidget* buildNamePage();
    QWidget* buildTriggersPage();
    QWidget* buildRecordingTypePage();
    QWidget* buildRecordKeysPage();
    QWidget* buildRecordMousePage();
    QWidget* buildStartAppPage();
    QWidget* buildAdvancedPage();
    QWidget* buildFinishedPage();
    void buildStepDialogs();

    void showPage(QWidget* page);
    void showFinished();
    void fillSummary();
    void resetButtons();
    // However the wizard closes: the flags and the stop hot key go back.
    void closeWizard();
    std::string recordFilePath() const;
    // Ends a recording started here and sets its page's buttons; true when it was made.
    bool stopRecordingHere();
    void keystrokeButtonsAfterStop(bool made);
    void mouseButtonsAfterStop(bool made);
    NewMacro newMacro() const;
    void runMenuCommand(MenuId menu, int index);
    void showPropertiesAgain();

    AuthoringServices services_;
    MacroWriter writer_;
    TfrmProperties* frmProperties_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    std::string recordedFile_;          // what the last recording started from here wrote
    QWidget* recordingPage_ = nullptr;  // the page whose recording runs
};

}  // namespace keyloom
