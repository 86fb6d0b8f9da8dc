// "Wait for a Window": wait until a window with a given title shows, for at most a given time.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <string>

#include "macros/authoring/authoring_dialogs.h"
#include "macros/authoring/digit_field.h"

namespace keyloom {

class TfrmWaitforWindow : public QDialog {
    Q_OBJECT
  public:
    // separator reads WaitForSeparator afresh at each OK.
    TfrmWaitforWindow(AuthoringDialogs& dialogs, std::function<std::string()> separator,
                      QWidget* parent = nullptr);

    std::function<void(const std::string&)> InsertAtCaret;

    QLineEdit* edtWinTitle;
    QRadioButton* optSeconds;
    QRadioButton* optMinutes;
    DigitField* edtTime;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  private:
    void cmdOKClick();

    AuthoringDialogs& dialogs_;
    std::function<std::string()> separator_;
};

}  // namespace keyloom
