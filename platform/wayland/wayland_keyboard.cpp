#include "platform/wayland/wayland_keyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/text.h"
#include "platform/wayland/wayland_session.h"
#include "platform/wayland/xkb_keymap_text.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace ostrevin::platform {

namespace {

constexpr std::uint8_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12;
constexpr std::uint32_t kShiftL = 0xffe1, kControlL = 0xffe3, kAltL = 0xffe9;

std::uint32_t nowMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The model types on the first two levels only: a character on an AltGr level gets a key of its
// own, so no macro modifier is ever turned into AltGr.
std::vector<KeySnapshot> firstTwoLevels(std::vector<KeySnapshot> keys) {
    for (KeySnapshot& key : keys) key.syms[2] = key.syms[3] = 0;
    return keys;
}

std::uint8_t keycodeOfSym(const std::vector<KeySnapshot>& keys, std::uint32_t sym) {
    for (const KeySnapshot& key : keys)
        if (key.syms[0] == sym) return key.keycode;
    return 0;
}

}  // namespace

std::unique_ptr<WaylandKeyboard> WaylandKeyboard::open(WaylandSession& session) {
    if (!session.keyboardManager() || !session.seat()) return nullptr;
    auto* vk = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(session.keyboardManager(),
                                                                       session.seat());
    std::unique_ptr<WaylandKeyboard> keyboard(new WaylandKeyboard(session, vk));
    if (!keyboard->loadUserKeymap()) return nullptr;
    session.roundtrip();
    if (session.broken()) return nullptr;
    return keyboard;
}

WaylandKeyboard::WaylandKeyboard(WaylandSession& session, zwp_virtual_keyboard_v1* keyboard)
    : session_(session), keyboard_(keyboard), context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

WaylandKeyboard::~WaylandKeyboard() {
    releaseAll();
    zwp_virtual_keyboard_v1_destroy(keyboard_);
    session_.roundtrip();
    if (state_) xkb_state_unref(state_);
    if (uploadedKeymap_) xkb_keymap_unref(uploadedKeymap_);
    xkb_context_unref(context_);
}

// The keymap the seat announced, or the one the environment names (XKB_DEFAULT_LAYOUT and its
// companions) when the seat has no keyboard of its own yet.
bool WaylandKeyboard::loadUserKeymap() {
    if (!context_) return false;
    xkb_keymap* keymap = nullptr;
    if (!session_.seatKeymap().empty())
        keymap = xkb_keymap_new_from_string(context_, session_.seatKeymap().c_str(),
                                            XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) keymap = xkb_keymap_new_from_names(context_, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) return false;
    userKeys_ = keysOfKeymap(keymap);
    xkb_keymap_unref(keymap);
    userModel_.load(userKeys_, 0);
    shiftKeycode_ = keycodeOfSym(userKeys_, kShiftL);
    controlKeycode_ = keycodeOfSym(userKeys_, kControlL);
    altKeycode_ = keycodeOfSym(userKeys_, kAltL);
    return upload(userKeys_);
}

bool WaylandKeyboard::upload(const std::vector<KeySnapshot>& keys) {
    const std::string text = composeKeymap(keys);
    if (text.empty()) return false;
    xkb_keymap* keymap = xkb_keymap_new_from_string(
        context_, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) return false;
    const int fd = memfd_create("keyloom-keymap", MFD_CLOEXEC);
    if (fd < 0) {
        xkb_keymap_unref(keymap);
        return false;
    }
    const std::size_t size = text.size() + 1;  // the compositor expects the terminating zero
    bool written = true;
    for (std::size_t done = 0; done < size && written;) {
        const ssize_t n = write(fd, text.c_str() + done, size - done);
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    if (written)
        zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(size));
    close(fd);
    if (!written) {
        xkb_keymap_unref(keymap);
        return false;
    }
    // Keys still held keep their modifiers in the new map.
    if (state_) xkb_state_unref(state_);
    if (uploadedKeymap_) xkb_keymap_unref(uploadedKeymap_);
    uploadedKeymap_ = keymap;
    state_ = xkb_state_new(keymap);
    for (int kc = 0; kc < 256; ++kc)
        if (pressCount_[kc] > 0)
            xkb_state_update_key(state_, static_cast<xkb_keycode_t>(kc), XKB_KEY_DOWN);
    model_.load(firstTwoLevels(keys), 0);
    for (const auto& [kc, ch] : loans_) model_.assignSpareVirtualKey(kc);
    userKeymapUploaded_ = loans_.empty();
    return true;
}

void WaylandKeyboard::lend(const std::vector<char32_t>& missing) {
    std::vector<std::uint8_t> free;
    for (std::uint8_t kc : userModel_.emptyKeycodes())
        if (!loans_.count(kc)) free.push_back(kc);
    // Loans not held down give way, oldest first, when the empty keys run out.
    for (std::uint8_t kc : loanOrder_)
        if (pressCount_[kc] == 0) free.push_back(kc);
    std::size_t next = 0;
    for (char32_t ch : missing) {
        if (next == free.size()) break;
        const std::uint8_t kc = free[next++];
        loans_[kc] = ch;
        loanOrder_.erase(std::remove(loanOrder_.begin(), loanOrder_.end(), kc), loanOrder_.end());
        loanOrder_.push_back(kc);
    }
    std::vector<KeySnapshot> keys = userKeys_;
    for (KeySnapshot& key : keys) {
        auto loan = loans_.find(key.keycode);
        if (loan != loans_.end()) key.syms = {KeymapModel::charToKeysym(loan->second), 0, 0, 0};
    }
    upload(keys);
}

void WaylandKeyboard::prepareText(std::u32string_view text) {
    std::vector<char32_t> missing;
    for (char32_t ch : text) {
        if (model_.find(ch) || KeymapModel::charToKeysym(ch) == 0) continue;
        if (std::find(missing.begin(), missing.end(), ch) == missing.end()) missing.push_back(ch);
    }
    if (!missing.empty()) lend(missing);
}

void WaylandKeyboard::finishText() {
    if (!userKeymapUploaded_ &&
        std::all_of(pressCount_.begin(), pressCount_.end(), [](int n) { return n == 0; })) {
        loans_.clear();
        loanOrder_.clear();
        upload(userKeys_);
    }
    session_.flush();
}

std::int16_t WaylandKeyboard::vkKeyScan(char32_t ch) {
    auto place = model_.find(ch);
    // More characters than empty keys: the rest are lent one by one as they come.
    if (!place && KeymapModel::charToKeysym(ch) != 0) {
        lend({ch});
        place = model_.find(ch);
    }
    if (!place) return -1;
    std::uint8_t vk = model_.virtualKeyFor(place->keycode);
    if (vk == 0) vk = model_.assignSpareVirtualKey(place->keycode);
    if (vk == 0) return -1;
    return static_cast<std::int16_t>((place->level == 1 ? 0x100 : 0) | vk);
}

std::uint32_t WaylandKeyboard::mapVirtualKey(std::uint8_t virtualKey) {
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    return kc >= 8 ? static_cast<std::uint32_t>(kc - 8) : 0;
}

std::uint8_t WaylandKeyboard::keycodeForEvent(std::uint8_t virtualKey) const {
    switch (virtualKey) {
        case kVkShift: return shiftKeycode_;
        case kVkControl: return controlKeycode_;
        case kVkMenu: return altKeycode_;
        default: return model_.keycodeFor(virtualKey);
    }
}

// The compositor takes a virtual keyboard's modifiers as the client states them, not from its
// keys, so they follow every key that changes them.
void WaylandKeyboard::sendKey(std::uint8_t keycode, bool down) {
    zwp_virtual_keyboard_v1_key(
        keyboard_, nowMs(), keycode - 8u,
        down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    const auto changed = xkb_state_update_key(state_, keycode, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    if (changed)
        zwp_virtual_keyboard_v1_modifiers(
            keyboard_, xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
            xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE));
    session_.flush();
}

// Counted, so that Shift pressed twice by the sender is one press, and the last release lets go.
void WaylandKeyboard::press(std::uint8_t keycode) {
    if (keycode < 8) return;
    if (pressCount_[keycode]++ == 0) {
        pace();
        sendKey(keycode, true);
    }
}

// The compositor passes keys on to the focused client at once and drops a client whose socket
// stays full, so a long text must not outrun the program it types into: a burst goes out at
// full speed, and after it presses follow at a steady rate that a toolkit's text field keeps up
// with.
void WaylandKeyboard::pace() {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    const double elapsed = duration<double>(now - lastPace_).count();
    lastPace_ = now;
    pressBudget_ = std::min(kPressBurst, pressBudget_ + elapsed * kPressesPerSecond);
    if (pressBudget_ < 1) {
        const double wait = (1 - pressBudget_) / kPressesPerSecond;
        std::this_thread::sleep_for(duration<double>(wait));
        lastPace_ = steady_clock::now();
        pressBudget_ = 1;
    }
    pressBudget_ -= 1;
}

void WaylandKeyboard::release(std::uint8_t keycode) {
    if (keycode < 8 || pressCount_[keycode] == 0) return;
    if (--pressCount_[keycode] == 0) sendKey(keycode, false);
}

void WaylandKeyboard::keyEvent(std::uint8_t virtualKey, std::uint8_t, std::uint32_t flags) {
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    if (flags & kKeyUp)
        release(kc);
    else
        press(kc);
}

void WaylandKeyboard::replayKey(std::uint8_t keycode, std::uint32_t keysym, bool down) {
    const std::uint8_t own = keysym ? keycodeOfSym(userKeys_, keysym) : 0;
    const std::uint8_t kc = own ? own : keycode;
    if (down)
        press(kc);
    else
        release(kc);
}

bool WaylandKeyboard::isKeyDown(std::uint8_t virtualKey) {
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    return kc != 0 && pressCount_[kc] > 0;
}

std::string WaylandKeyboard::keyLabel(std::uint8_t virtualKey) {
    const std::uint8_t kc = userModel_.keycodeFor(virtualKey);
    const char32_t ch = kc ? KeymapModel::keysymToChar(userModel_.keysymAt(kc, 0)) : 0;
    if (ch < 0x21) return {};
    return encodeUtf8(std::u32string(1, ch));
}

std::string WaylandKeyboard::keysymName(std::uint8_t virtualKey) const {
    return keysymNameOf(userModel_, virtualKey);
}

void WaylandKeyboard::releaseAll() {
    for (int kc = 8; kc < 256; ++kc) {
        if (pressCount_[kc] > 0) sendKey(static_cast<std::uint8_t>(kc), false);
        pressCount_[kc] = 0;
    }
    finishText();
}

}  // namespace ostrevin::platform
