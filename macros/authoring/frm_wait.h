// "Wait Time": a pause of so many seconds or minutes.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <string>

#include "macros/authoring/digit_field.h"

namespace keyloom {

class TfrmWait : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmWait(QWidget* parent = nullptr);

    // Where OK puts its token: the advanced macro text.
    std::function<void(const std::string&)> InsertAtCaret;

    DigitField* edtTime;
    QRadioButton* optSeconds;
    QRadioButton* optMinutes;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void cmdOKClick();
};

}  // namespace keyloom
