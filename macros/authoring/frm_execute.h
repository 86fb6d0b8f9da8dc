// "Execute an Application": start a program or open a document from an advanced macro.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>

#include "macros/authoring/authoring_dialogs.h"

namespace keyloom {

class TfrmExecute : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmExecute(AuthoringDialogs& dialogs, QWidget* parent = nullptr);

    std::function<void(const std::string&)> InsertAtCaret;

    QLineEdit* edtCommandLine;
    QLineEdit* edtParameters;
    QLineEdit* edtStartIn;
    QPushButton* cmdBrowse;
    QPushButton* cmdStartIn;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  private:
    AuthoringDialogs& dialogs_;
};

}  // namespace keyloom
