#include "macros/authoring/hot_key_field.h"

#include <QKeyEvent>

#include "macros/authoring/hot_key_rules.h"
#include "widgets/qt_text.h"

namespace keyloom {

namespace {

// The US punctuation keys, shifted or not, by the character Qt reports.
int punctuationKey(int qtKey) {
    static const char* const rows[] = {";:", "=+", ",<",  "-_", ".>", "/?",
                                       "`~", "[{", "\\|", "]}", "'\""};
    static const int codes[] = {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE};
    for (int i = 0; i < 11; ++i)
        if (qtKey == rows[i][0] || qtKey == rows[i][1]) return codes[i];
    static const char shiftedDigits[] = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d)
        if (qtKey == shiftedDigits[d]) return '0' + d;
    return 0;
}

bool isModifierKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Meta:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_Mode_switch: return true;
        default: return false;
    }
}

}  // namespace

THotKey::THotKey(KeyLabelFn keyLabel, QWidget* parent)
    : QLineEdit(parent), keyLabel_(std::move(keyLabel)) {
    setReadOnly(true);
    setHotKey(0);
}

void THotKey::setHotKey(int code) {
    hotKey_ = code & 0xFFFF;
    const std::string text = shortcutText(hotKey_, keyLabel_);
    setText(hotKey_ == 0 || text.empty() ? QString("None") : ostrevin::widgets::toQString(text));
}

int THotKey::virtualKeyFor(int qtKey, bool keypad) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? 0x60 + (qtKey - Qt::Key_0) : '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Backspace: return 0x08;
        case Qt::Key_Tab: return 0x09;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 0x0D;
        case Qt::Key_Escape: return 0x1B;
        case Qt::Key_Space: return 0x20;
        case Qt::Key_PageUp: return 0x21;
        case Qt::Key_PageDown: return 0x22;
        case Qt::Key_End: return 0x23;
        case Qt::Key_Home: return 0x24;
        case Qt::Key_Left: return 0x25;
        case Qt::Key_Up: return 0x26;
        case Qt::Key_Right: return 0x27;
        case Qt::Key_Down: return 0x28;
        case Qt::Key_Insert: return 0x2D;
        case Qt::Key_Delete: return 0x2E;
        default: return punctuationKey(qtKey);
    }
}

bool THotKey::event(QEvent* e) {
    // Alt+O would otherwise press the dialog's OK: a combination typed here is a hot key.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
            e->accept();
            return true;
        }
    }
    return QLineEdit::event(e);
}

int THotKey::pressedKey(const QKeyEvent& event) const {
    if (isModifierKey(event.key())) return 0;
    // Hot keys are grabbed by key: the key's own code gives the virtual key that is grabbed back
    // as this very key, whatever character the layout puts on it (French "&" is the 1 key).
    // A key that has no name to show is left alone rather than stored as another key.
    if (keyOfScanCode && event.nativeScanCode() != 0)
        if (const int vk = keyOfScanCode(event.nativeScanCode()))
            return shortcutText(vk, keyLabel_).empty() ? 0 : vk;
    return virtualKeyFor(event.key(), event.modifiers() & Qt::KeypadModifier);
}

void THotKey::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool plain = (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) == 0;
    const int key = event->key();
    // Plain Escape and Enter belong to the dialog (Cancel, the default button).
    if (plain && (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->ignore();
        return;
    }
    if (plain && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
        setHotKey(0);
        return;
    }
    const int vk = pressedKey(*event);
    if (vk == 0) return;  // a modifier alone, or a key no hot key can use
    int code = vk;
    if (mods & Qt::ShiftModifier) code |= kHotKeyShift;
    if (mods & Qt::ControlModifier) code |= kHotKeyCtrl;
    if (mods & Qt::AltModifier) code |= kHotKeyAlt;
    // The rule is for what is typed; a value loaded from the catalogue is shown as stored.
    setHotKey(acceptedHotKey(code));
}

}  // namespace keyloom
