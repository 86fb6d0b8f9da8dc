#include "platform/wayland/keymap_keyboard.h"

#include <xkbcommon/xkbcommon.h>

#include "common/text.h"
#include "platform/wayland/xkb_keymap_text.h"

namespace ostrevin::platform {

namespace {

constexpr std::uint8_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12;
constexpr std::uint32_t kShiftL = 0xffe1, kControlL = 0xffe3, kAltL = 0xffe9, kInsert = 0xff63;

std::uint8_t keycodeOfSym(const std::vector<KeySnapshot>& keys, std::uint32_t sym) {
    for (const KeySnapshot& key : keys)
        if (key.syms[0] == sym) return key.keycode;
    return 0;
}

}  // namespace

bool KeymapKeyboard::loadKeymap(const std::string& seatKeymap) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context) return false;
    xkb_keymap* keymap = nullptr;
    if (!seatKeymap.empty())
        keymap = xkb_keymap_new_from_string(context, seatKeymap.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap) {
        keys_ = keysOfKeymap(keymap);
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    if (keys_.empty()) return false;
    // Without a level-3 key the model types on the first two levels only, so no macro modifier
    // is ever taken for AltGr.
    model_.load(keys_, 0);
    shiftKeycode_ = keycodeOfSym(keys_, kShiftL);
    controlKeycode_ = keycodeOfSym(keys_, kControlL);
    altKeycode_ = keycodeOfSym(keys_, kAltL);
    insertKeycode_ = keycodeOfSym(keys_, kInsert);
    return true;
}

std::int16_t KeymapKeyboard::vkKeyScan(char32_t ch) {
    const auto place = model_.find(ch);
    if (!place) {
        if (paster_ && shiftKeycode_ && insertKeycode_) {
            scanned_ = ch;
            return kVkPasted;
        }
        leaveOut(ch);
        return -1;
    }
    std::uint8_t vk = model_.virtualKeyFor(place->keycode);
    if (vk == 0) vk = model_.assignSpareVirtualKey(place->keycode);
    if (vk == 0) return -1;
    return static_cast<std::int16_t>((place->level == 1 ? 0x100 : 0) | vk);
}

std::uint32_t KeymapKeyboard::mapVirtualKey(std::uint8_t virtualKey) {
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    return kc >= 8 ? static_cast<std::uint32_t>(kc - 8) : 0;
}

std::uint8_t KeymapKeyboard::keycodeForEvent(std::uint8_t virtualKey) const {
    switch (virtualKey) {
        case kVkShift: return shiftKeycode_;
        case kVkControl: return controlKeycode_;
        case kVkMenu: return altKeycode_;
        default: return model_.keycodeFor(virtualKey);
    }
}

// Counted, so that Shift pressed twice by the sender is one press, and the last release lets go.
void KeymapKeyboard::press(std::uint8_t keycode) {
    if (keycode >= 8 && pressCount_[keycode]++ == 0) sendKey(keycode, true);
}

void KeymapKeyboard::release(std::uint8_t keycode) {
    if (keycode >= 8 && pressCount_[keycode] > 0 && --pressCount_[keycode] == 0)
        sendKey(keycode, false);
}

void KeymapKeyboard::leaveOut(char32_t ch) {
    if (untyped_.find(ch) == std::u32string::npos) untyped_ += ch;
}

// Consecutive characters go out as one paste, so that a line of them costs one round of the
// clipboard rather than one per character; any real key pastes them first, keeping the order.
void KeymapKeyboard::keyEvent(std::uint8_t virtualKey, std::uint8_t, std::uint32_t flags) {
    if (virtualKey == kVkPasted) {
        if (!(flags & kKeyUp) && scanned_) run_ += scanned_;
        scanned_ = 0;
        return;
    }
    pasteRun();
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    if (flags & kKeyUp)
        release(kc);
    else
        press(kc);
}

void KeymapKeyboard::replayKey(std::uint8_t keycode, std::uint32_t keysym, bool down) {
    pasteRun();
    const std::uint8_t own = keysym ? keycodeOfSym(keys_, keysym) : 0;
    const std::uint8_t kc = own ? own : keycode;
    if (down)
        press(kc);
    else
        release(kc);
}

bool KeymapKeyboard::isKeyDown(std::uint8_t virtualKey) {
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    return kc != 0 && pressCount_[kc] > 0;
}

std::string KeymapKeyboard::keyLabel(std::uint8_t virtualKey) {
    const std::uint8_t kc = model_.keycodeFor(virtualKey);
    const char32_t ch = kc ? KeymapModel::keysymToChar(model_.keysymAt(kc, 0)) : 0;
    if (ch < 0x21) return {};
    return encodeUtf8(std::u32string(1, ch));
}

std::string KeymapKeyboard::keysymName(std::uint8_t virtualKey) const {
    return keysymNameOf(model_, virtualKey);
}

std::u32string KeymapKeyboard::takeUntyped() {
    std::u32string taken;
    taken.swap(untyped_);
    return taken;
}

void KeymapKeyboard::finishText() {
    pasteRun();
    flush();
}

// The paste key goes out only once the text is on offer, and the user's clipboard comes back
// only once the receiver has had the key: flushed first, as the receiver reads after the key.
void KeymapKeyboard::pasteRun() {
    if (run_.empty()) return;
    std::u32string run;
    run.swap(run_);
    if (!paster_ || !paster_->offer(encodeUtf8(run))) {
        for (char32_t ch : run) leaveOut(ch);
        return;
    }
    press(shiftKeycode_);
    press(insertKeycode_);
    release(insertKeycode_);
    release(shiftKeycode_);
    flush();
    paster_->restore();
}

void KeymapKeyboard::releaseAll() {
    pasteRun();
    for (int kc = 8; kc < 256; ++kc) {
        if (pressCount_[kc] > 0) sendKey(static_cast<std::uint8_t>(kc), false);
        pressCount_[kc] = 0;
    }
    flush();
}

}  // namespace ostrevin::platform
