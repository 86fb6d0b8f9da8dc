#include "macros/app/frm_get_var.h"

#include <QGuiApplication>
#include <QScreen>

#include "widgets/qt_text.h"

namespace keyloom {

TfrmGetVar::TfrmGetVar(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("frmGetVar");
    setWindowTitle("Keyloom Input Box");
    setFixedSize(233, 100);
    lblPrompt = new QLabel(this);
    lblPrompt->setObjectName("lblPrompt");
    lblPrompt->setWordWrap(true);
    lblPrompt->setGeometry(4, 4, 225, 41);
    edtVal = new QLineEdit(this);
    edtVal->setObjectName("edtVal");
    edtVal->setGeometry(4, 48, 225, 22);
    lblPrompt->setBuddy(edtVal);
    Button1 = new QPushButton("&OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(79, 73, 75, 24);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

std::string TfrmGetVar::Ask(const std::string& prompt) {
    lblPrompt->setText(ostrevin::widgets::toQString(prompt));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    exec();
    const std::string value = ostrevin::widgets::toUtf8(edtVal->text());
    edtVal->clear();
    return value;
}

void TfrmGetVar::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    edtVal->setFocus();
}

}  // namespace keyloom
