#include "macros/authoring/frm_wait.h"

#include <QGridLayout>
#include <QLabel>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/step_dialog_controls.h"

namespace keyloom {

TfrmWait::TfrmWait(QWidget* parent) : QDialog(parent) {
    setObjectName("frmWait");
    setWindowTitle("Wait Time");
    auto* label = new QLabel("Please enter the time to wait:", this);
    edtTime = new DigitField("edtTime", this);
    label->setBuddy(edtTime);
    makeTimeUnits(this, optSeconds, optMinutes);
    makeOkCancel(this, cmdOK, cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOKClick(); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(edtTime, 1, 0);
    grid->addWidget(optSeconds, 1, 1);
    grid->addWidget(optMinutes, 2, 1);
    grid->addWidget(cmdOK, 3, 0);
    grid->addWidget(cmdCancel, 3, 1);
}

void TfrmWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtTime->setFocus();
}

void TfrmWait::cmdOKClick() {
    const std::string token = waitToken(optMinutes->isChecked(), edtTime->positions());
    accept();
    if (InsertAtCaret) InsertAtCaret(token);
}

}  // namespace keyloom
