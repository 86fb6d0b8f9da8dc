#include "macros/authoring/frm_repeat.h"

#include <QGridLayout>
#include <QLabel>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/step_dialog_controls.h"

namespace keyloom {

TfrmRepeat::TfrmRepeat(QWidget* parent) : QDialog(parent) {
    setObjectName("frmRepeat");
    setWindowTitle("Number of Times to Repeat");
    auto* before = new QLabel("Repeat this sequence", this);
    edtRepCount = new DigitField("edtRepCount", this);
    before->setBuddy(edtRepCount);
    auto* after = new QLabel("times.", this);
    auto* note = new QLabel(
        "Use this function to repeat all or a part of this macro a given number of times.  Make "
        "sure that you end the repetition with an end repeat command later in the macro.",
        this);
    note->setWordWrap(true);
    makeOkCancel(this, cmdOK, cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        const std::string token = repeatToken(edtRepCount->positions());
        accept();
        if (InsertAtCaret) InsertAtCaret(token);
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(before, 0, 0);
    grid->addWidget(edtRepCount, 0, 1);
    grid->addWidget(after, 0, 2);
    grid->addWidget(note, 1, 0, 1, 3);
    grid->addWidget(cmdOK, 2, 1);
    grid->addWidget(cmdCancel, 2, 2);
}

void TfrmRepeat::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtRepCount->setFocus();
}

}  // namespace keyloom
