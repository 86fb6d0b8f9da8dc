// "Keyloom Hints": a short explanation before an authoring command acts, with a box to turn the
// hints off. The box keeps its state between showings, also when the tray menu turns hints back
// on, so closing the window with the box unchecked turns them off again.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>
#include <string>

#include "macros/catalogue/macro_catalogue.h"

namespace keyloom {

class TfrmHint : public QDialog {
    Q_OBJECT
  public:
    // showHintsChecked sets the tray menu's "&Show Hints" check mark.
    TfrmHint(MacroCatalogue& catalogue, std::function<void(bool)> showHintsChecked,
             QWidget* parent = nullptr);

    // Shows the text modally when the "Show Hints" setting is on; otherwise does nothing.
    void ShowHint(const std::string& text);

    QPlainTextEdit* mmoHint;
    QPushButton* cmdOK;
    QCheckBox* cbShowHint;

  protected:
    void done(int result) override;

  private:
    MacroCatalogue& catalogue_;
    std::function<void(bool)> showHintsChecked_;
};

}  // namespace keyloom
