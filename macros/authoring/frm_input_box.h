// "Input Box": the title of the input box an advanced macro shows when it runs.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>

namespace keyloom {

class TfrmInputBox : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmInputBox(QWidget* parent = nullptr);

    std::function<void(const std::string&)> InsertAtCaret;

    QLineEdit* edtInputName;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace keyloom
