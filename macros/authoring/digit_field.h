// A field of three positions, each a digit or a blank ("_" while editing): values 0 to 999.
#pragma once

#include <QLineEdit>
#include <string>

#include "widgets/qt_text.h"

namespace keyloom {

class DigitField : public QLineEdit {
  public:
    DigitField(const char* name, QWidget* parent) : QLineEdit(parent) {
        setObjectName(name);
        setInputMask("999;_");
        setFixedWidth(48);
    }
    // The three positions with blanks where no digit is; "   " when empty.
    std::string positions() const {
        QString shown = displayText();
        shown.replace('_', ' ');
        return ostrevin::widgets::toUtf8(shown.leftJustified(3, ' ', true));
    }
    bool isBlank() const { return QString::fromStdString(positions()).trimmed().isEmpty(); }
};

}  // namespace keyloom
