// The advanced page's commands: menu buttons, the delay button and their step dialogs.
#include "macros/authoring/frm_wizard.h"
#include "widgets/qt_text.h"

namespace keyloom {

void TfrmWizard::buildStepDialogs() {
    frmWait = new TfrmWait(this);
    frmRepeat = new TfrmRepeat(this);
    frmInputBox = new TfrmInputBox(this);
    frmWaitforWindow = new TfrmWaitforWindow(
        services_.dialogs, [this] { return services_.catalogue.waitForSeparator(); }, this);
    frmExecute = new TfrmExecute(services_.dialogs, this);
    auto insert = [this](const std::string& token) { InsertAtCaret(token); };
    frmWait->InsertAtCaret = insert;
    frmRepeat->InsertAtCaret = insert;
    frmInputBox->InsertAtCaret = insert;
    frmWaitforWindow->InsertAtCaret = insert;
    frmExecute->InsertAtCaret = [this](const std::string& token) { InsertAtCaret(token, false); };
}

void TfrmWizard::runMenuCommand(MenuId menu, int index) {
    const auto& commands = menuCommands(menu);
    if (index < 0 || index >= static_cast<int>(commands.size())) return;
    const MenuCommand& command = commands[index];
    if (command.hint) ShowHint(command.hint);
    if (command.token) InsertAtCaret(command.token);
}

void TfrmWizard::cmdSpecialKeysChange(int index) {
    runMenuCommand(MenuId::SpecialKeys, index);
}

void TfrmWizard::EPMenuButton3Change(int index) {
    runMenuCommand(MenuId::MoreKeys, index);
}

void TfrmWizard::EPMenuButton1Change(int index) {
    runMenuCommand(MenuId::DateTime, index);
}

void TfrmWizard::EPMenuButton2Change(int index) {
    runMenuCommand(MenuId::Repeat, index);
    if (index == kRepeatStart) {
        frmRepeat->exec();
        mmoManKeys->setFocus();
    }
}

void TfrmWizard::cmdDelayClick() {
    ShowHint(kDelayHint);
    frmWait->exec();
}

void TfrmWizard::EPMenuButton4Change(int index) {
    using ostrevin::widgets::toUtf8;
    runMenuCommand(MenuId::Misc, index);
    switch (index) {
        case kMiscInputBox:
            frmInputBox->exec();
            mmoManKeys->setFocus();
            break;
        case kMiscRunMacro: {
            const QString name = services_.dialogs.input(
                this, "Run another macro", "Type the exact name of the existing macro to run");
            if (!name.isEmpty()) InsertAtCaret(runToken(toUtf8(name)));
            break;
        }
        case kMiscWaitForWindow:
            frmWaitforWindow->exec();
            mmoManKeys->setFocus();
            break;
        case kMiscFocus: {
            const QString title =
                services_.dialogs.input(this, "Bring a window into focus",
                                        "Title of the window to bring to the foreground.");
            if (!title.isEmpty()) InsertAtCaret(focusToken(toUtf8(title)));
            break;
        }
        case kMiscExecute: frmExecute->exec(); break;
        default: break;
    }
}

}  // namespace keyloom
