// Controls that the authoring dialogs share, made with their design names.
#pragma once

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace keyloom {

// "&OK" as the default button and "&Cancel", which closes the dialog without a token.
inline void makeOkCancel(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton("&OK", dialog);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    cancel = new QPushButton("&Cancel", dialog);
    cancel->setObjectName("cmdCancel");
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

// The unit of a time: "&Seconds", chosen at first, or "&Minutes".
inline void makeTimeUnits(QWidget* parent, QRadioButton*& seconds, QRadioButton*& minutes) {
    seconds = new QRadioButton("&Seconds", parent);
    seconds->setObjectName("optSeconds");
    seconds->setChecked(true);
    minutes = new QRadioButton("&Minutes", parent);
    minutes->setObjectName("optMinutes");
}

// A text field named `name` in column 1 of a grid row, with its caption in column 0 as its buddy,
// so that the caption's "&" letter reaches it.
inline QLineEdit* labelledEdit(const char* name, const char* caption, QGridLayout* grid, int row,
                               QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

}  // namespace keyloom
