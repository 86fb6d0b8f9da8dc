// Controls that the step dialogs of the advanced page share, made with their design names.
#pragma once

#include <QDialog>
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

}  // namespace keyloom
