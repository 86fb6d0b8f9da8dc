#include "macros/authoring/frm_hint.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "macros/authoring/authoring_dialogs.h"
#include "widgets/qt_text.h"

namespace keyloom {

TfrmHint::TfrmHint(MacroCatalogue& catalogue, std::function<void(bool)> showHintsChecked,
                   QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), showHintsChecked_(std::move(showHintsChecked)) {
    setObjectName("frmHint");
    setWindowTitle("Keyloom Hints");
    setModal(true);
    resize(360, 190);

    mmoHint = new QPlainTextEdit(this);
    mmoHint->setObjectName("mmoHint");
    mmoHint->setAccessibleName("Hint");
    mmoHint->setReadOnly(true);
    mmoHint->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mmoHint->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmoHint->setFocusPolicy(Qt::ClickFocus);
    QPalette tip = mmoHint->palette();
    tip.setColor(QPalette::Base, palette().color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, palette().color(QPalette::ToolTipText));
    mmoHint->setPalette(tip);

    cbShowHint = new QCheckBox("Show hints", this);
    cbShowHint->setObjectName("cbShowHint");
    cbShowHint->setChecked(true);
    cmdOK = new QPushButton("&OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbShowHint);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mmoHint);
    layout->addLayout(buttons);
}

void TfrmHint::ShowHint(const std::string& text) {
    if (!catalogue_.showHints()) return;
    mmoHint->setPlainText(ostrevin::widgets::toQString(text));
    cmdOK->setFocus();
    exec();
}

// OK, Esc and the close box all end here.
void TfrmHint::done(int result) {
    QDialog::done(result);
    const bool on = cbShowHint->isChecked();
    guarded(this, [&] {
        if (!on) catalogue_.setShowHints(false);
    });
    if (showHintsChecked_) showHintsChecked_(on);
}

}  // namespace keyloom
