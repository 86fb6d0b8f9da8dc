#include "macros/authoring/frm_wait.h"

#include <QGridLayout>
#include <QLabel>

#include "macros/authoring/advanced_commands.h"

namespace keyloom {

TfrmWait::TfrmWait(QWidget* parent) : QDialog(parent) {
    setObjectName("frmWait");
    setWindowTitle("Wait Time");
    auto* label = new QLabel("Please enter the time to wait:", this);
    edtTime = new DigitField("edtTime", this);
    label->setBuddy(edtTime);
    optSeconds = new QRadioButton("&Seconds", this);
    optSeconds->setObjectName("optSeconds");
    optSeconds->setChecked(true);
    optMinutes = new QRadioButton("&Minutes", this);
    optMinutes->setObjectName("optMinutes");
    cmdOK = new QPushButton("&OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOKClick(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

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
