// The hot key field: shows the combination typed into it as shortcut text ("Shift+Ctrl+F12"),
// "None" when empty. Backspace or Delete alone empties it; Tab moves on as in any field.
#pragma once

#include <QLineEdit>

#include "macros/catalogue/hot_key_text.h"

namespace keyloom {

class THotKey : public QLineEdit {
  public:
    THotKey(KeyLabelFn keyLabel, QWidget* parent = nullptr);

    int HotKey() const { return hotKey_; }
    // Takes the code as it is; only keys typed into the field follow the entry rules.
    void setHotKey(int code);

    // The Windows virtual-key code for a Qt key, 0 for none; keypad digits need the keypad flag.
    static int virtualKeyFor(int qtKey, bool keypad);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    KeyLabelFn keyLabel_;
    int hotKey_ = 0;
};

}  // namespace keyloom
