// The hot key field: shows the combination typed into it as shortcut text ("Shift+Ctrl+F12"),
// "None" when empty. Backspace or Delete alone empties it; Tab moves on as in any field.
// Combinations with Ctrl or Alt are the field's own, also those that are a button's mnemonic.
#pragma once

#include <QLineEdit>
#include <cstdint>
#include <functional>

#include "macros/catalogue/hot_key_text.h"

namespace keyloom {

class THotKey : public QLineEdit {
  public:
    // The virtual key of a native key code, 0 when unknown (see Keyboard::virtualKeyOfScanCode).
    using ScanCodeKeyFn = std::function<std::uint8_t(std::uint32_t nativeScanCode)>;

    THotKey(KeyLabelFn keyLabel, QWidget* parent = nullptr);

    // Without it, or for a key it does not know, keys map by what Qt reports, as on a US layout.
    ScanCodeKeyFn keyOfScanCode;

    int HotKey() const { return hotKey_; }
    // Takes the code as it is; only keys typed into the field follow the entry rules.
    void setHotKey(int code);

    // The Windows virtual-key code for a Qt key, 0 for none; keypad digits need the keypad flag.
    static int virtualKeyFor(int qtKey, bool keypad);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int pressedKey(const QKeyEvent& event) const;

    KeyLabelFn keyLabel_;
    int hotKey_ = 0;
};

}  // namespace keyloom
