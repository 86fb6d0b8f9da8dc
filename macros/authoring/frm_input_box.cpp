#include "macros/authoring/frm_input_box.h"

#include <QGridLayout>
#include <QLabel>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/step_dialog_controls.h"
#include "widgets/qt_text.h"

namespace keyloom {

TfrmInputBox::TfrmInputBox(QWidget* parent) : QDialog(parent) {
    setObjectName("frmInputBox");
    setWindowTitle("Input Box");
    auto* label =
        new QLabel("Enter the text that will appear as the title of this input box.", this);
    label->setWordWrap(true);
    edtInputName = new QLineEdit(this);
    edtInputName->setObjectName("edtInputName");
    edtInputName->setMaxLength(50);
    label->setBuddy(edtInputName);
    makeOkCancel(this, cmdOK, cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        const std::string token = inputToken(ostrevin::widgets::toUtf8(edtInputName->text()));
        accept();
        if (InsertAtCaret) InsertAtCaret(token);
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(edtInputName, 1, 0, 1, 2);
    grid->addWidget(cmdOK, 2, 0);
    grid->addWidget(cmdCancel, 2, 1);
}

void TfrmInputBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtInputName->setFocus();
}

}  // namespace keyloom
