// The input prompt of advanced macros: "Keyloom Input Box".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace keyloom {

class TfrmGetVar : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmGetVar(QWidget* parent = nullptr);

    // Shows the prompt modally and returns what was typed; the field is empty again afterwards.
    std::string Ask(const std::string& prompt);

    QLabel* lblPrompt;
    QLineEdit* edtVal;
    QPushButton* Button1;

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override {}  // only OK closes it
};

}  // namespace keyloom
