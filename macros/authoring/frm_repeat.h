// "Number of Times to Repeat": the start of a repeated sequence.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <functional>
#include <string>

#include "macros/authoring/digit_field.h"

namespace keyloom {

class TfrmRepeat : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmRepeat(QWidget* parent = nullptr);

    std::function<void(const std::string&)> InsertAtCaret;

    DigitField* edtRepCount;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace keyloom
