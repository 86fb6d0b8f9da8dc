#include "platform/x11/x11_keyboard.h"

#include "platform/x11/x11_keymap_snapshot.h"

#include "common/text.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace ostrevin::platform {

namespace {

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr std::uint8_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12;

}  // namespace

std::unique_ptr<X11Keyboard> X11Keyboard::open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    int event = 0, error = 0, major = 0, minor = 0, opcode = 0;
    int xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion, xkbEvent = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor) ||
        !XkbQueryExtension(display, &opcode, &xkbEvent, &error, &xkbMajor, &xkbMinor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    std::unique_ptr<X11Keyboard> keyboard(new X11Keyboard(display));
    keyboard->xkbEventBase_ = xkbEvent;
    XkbSelectEvents(display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    // CapsLock changes too: letters are typed with Shift inverted while it is on.
    XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify,
                          XkbGroupStateMask | XkbModifierLockMask,
                          XkbGroupStateMask | XkbModifierLockMask);
    return keyboard;
}

X11Keyboard::X11Keyboard(Display* display) : display_(display) {
    levelOfVk_.fill(0);
}

X11Keyboard::~X11Keyboard() {
    releaseAll();
    // Clients may still be reading the last keys; the loans stay for the rest of the grace period
    // even when the program ends right after typing.
    restoreLoansAfterGrace(kLoanGraceMs);
    XCloseDisplay(display_);
}

void X11Keyboard::restoreLoansAfterGrace(int maxWaitMs) {
    if (loans_.empty()) return;
    const std::int64_t left =
        std::min<std::int64_t>(kLoanGraceMs - (nowMs() - lastUseMs_), maxWaitMs);
    if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(left));
    restoreLoans();
}

void X11Keyboard::reloadIfChanged() {
    // Keymap and group changes (setxkbmap, xmodmap, a layout switch) arrive as XKB events on our
    // connection; reading them costs no round trip.
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        // A new keyboard description also comes with a mere switch between devices, which keeps
        // the loans; reload() keeps exactly those whose keycodes still show our character.
        if (event.type == xkbEventBase_) dirty_ = true;
    }
    if (dirty_) reload();
}

void X11Keyboard::reload() {
    dirty_ = false;
    KeymapSnapshot snapshot = readKeymap(display_);
    if (snapshot.keys.empty()) return;
    capsLocked_ = snapshot.capsLocked;
    shiftKeycode_ = controlKeycode_ = altKeycode_ = 0;
    for (const KeySnapshot& key : snapshot.keys) {
        if (key.syms[0] == 0xffe1 && !shiftKeycode_) shiftKeycode_ = key.keycode;
        if (key.syms[0] == 0xffe3 && !controlKeycode_) controlKeycode_ = key.keycode;
        if (key.syms[0] == 0xffe9 && !altKeycode_) altKeycode_ = key.keycode;
    }
    model_.load(snapshot.keys, snapshot.level3Keycode);
    // Lent keycodes hold our characters; they stay ours while the map still shows them.
    for (auto it = loans_.begin(); it != loans_.end();) {
        if (KeymapModel::keysymToChar(model_.keysymAt(it->first, 0)) != it->second) {
            it = loans_.erase(it);
        } else {
            model_.assignSpareVirtualKey(it->first);
            ++it;
        }
    }
}

void X11Keyboard::lend(std::u32string_view text) {
    std::vector<char32_t> missing;
    for (char32_t ch : text) {
        if (model_.find(ch) || KeymapModel::charToKeysym(ch) == 0) continue;
        bool known = false;
        for (char32_t m : missing) known = known || m == ch;
        if (!known) missing.push_back(ch);
    }
    if (missing.empty()) return;
    // Empty keys in turn, starting after the last one lent: a client still digesting the return of
    // a keycode is not asked to take it up again at once.
    std::vector<std::uint8_t> free;
    const std::uint8_t fence = fenceKeycode();
    for (std::uint8_t kc : model_.emptyKeycodes())
        if (kc > lastLent_ && kc != fence) free.push_back(kc);
    for (std::uint8_t kc : model_.emptyKeycodes())
        if (kc <= lastLent_ && kc != fence) free.push_back(kc);
    // More new characters than empty keys: older loans are taken back, oldest keycode first.
    for (const auto& [kc, ch] : loans_) {
        bool needed = false;
        for (char32_t t : text) needed = needed || t == ch;
        if (!needed) free.push_back(kc);
    }
    if (free.empty() || fence == 0) return;
    // Key events wait in the server's input queue, and a keymap change can overtake them. A key
    // without any symbol, which no program acts on, is pressed and released, and the map changed
    // only once the server has processed it: everything typed before it is then looked up in the
    // old map. It also makes our device the one that last sent a key, whose keymap the server
    // gives the core keyboard; loans made while the real keyboard was last would be lost.
    fenceInput(fence);
    std::map<std::uint8_t, std::uint32_t> changes;
    std::size_t next = 0;
    for (char32_t ch : missing) {
        if (next == free.size()) break;
        const std::uint8_t kc = free[next++];
        changes[kc] = KeymapModel::charToKeysym(ch);
        loans_[kc] = ch;
        lastLent_ = kc;
    }
    setKeySymbols(changes);
    dirty_ = true;
    reloadIfChanged();
}

// The highest empty keycode is never lent: a client that looks up the fence key late must still
// find nothing there.
std::uint8_t X11Keyboard::fenceKeycode() const {
    const auto& empty = model_.emptyKeycodes();
    return empty.empty() ? 0 : empty.back();
}

bool X11Keyboard::serverHolds(std::uint8_t keycode) {
    char keys[32];
    XQueryKeymap(display_, keys);
    return keys[keycode / 8] & (1 << (keycode % 8));
}

void X11Keyboard::fenceInput(std::uint8_t idleKeycode) {
    const bool grabbed = grabKey(idleKeycode);
    const std::int64_t deadline = nowMs() + 500;
    for (bool down : {true, false}) {
        XTestFakeKeyEvent(display_, idleKeycode, down ? True : False, CurrentTime);
        XFlush(display_);
        while (serverHolds(idleKeycode) != down && nowMs() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (grabbed) ungrabKey(idleKeycode);
}

namespace {
bool grabRefused = false;
int noteRefusal(Display*, XErrorEvent*) {
    grabRefused = true;
    return 0;
}
}  // namespace

// Only for the span of the fence: a grab held for good would swallow that keycode for any other
// program that lends it a symbol to type with.
bool X11Keyboard::grabKey(std::uint8_t keycode) {
    XSync(display_, False);
    grabRefused = false;
    auto previous = XSetErrorHandler(noteRefusal);
    XGrabKey(display_, keycode, AnyModifier, DefaultRootWindow(display_), False, GrabModeAsync,
             GrabModeAsync);
    XSync(display_, False);
    XSetErrorHandler(previous);
    return !grabRefused;
}

void X11Keyboard::ungrabKey(std::uint8_t keycode) {
    XUngrabKey(display_, keycode, AnyModifier, DefaultRootWindow(display_));
    XFlush(display_);
}

void X11Keyboard::setKeySymbols(const std::map<std::uint8_t, std::uint32_t>& symbols) {
    if (symbols.empty()) return;
    for (int device : keyboardDevices()) setKeySymbols(device, symbols);
    XSync(display_, False);
}

// The core keyboard and every keyboard device behind it: the server hands the core keyboard the
// map of whichever device sent the last key, so a loan must be in all of them to survive.
std::vector<int> X11Keyboard::keyboardDevices() {
    std::vector<int> devices{XkbUseCoreKbd};
    int count = 0;
    XDeviceInfo* info = XListInputDevices(display_, &count);
    for (int i = 0; i < count; ++i)
        if (info[i].use == IsXExtensionKeyboard) devices.push_back(static_cast<int>(info[i].id));
    if (info) XFreeDeviceList(info);
    return devices;
}

void X11Keyboard::setKeySymbols(int device, const std::map<std::uint8_t, std::uint32_t>& symbols) {
    XkbDescPtr xkb = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask, device);
    if (!xkb) return;
    XkbMapChangesRec changes{};
    for (const auto& [kc, sym] : symbols) {
        int types[XkbNumKbdGroups] = {XkbOneLevelIndex};
        const int groups = sym == NoSymbol ? 0 : 1;
        XkbChangeTypesOfKey(xkb, kc, groups, XkbGroup1Mask, types, &changes);
        if (groups) XkbResizeKeySyms(xkb, kc, 1)[0] = sym;
    }
    const int first = symbols.begin()->first, last = symbols.rbegin()->first;
    changes.changed |= XkbKeySymsMask;
    changes.first_key_sym = static_cast<KeyCode>(first);
    changes.num_key_syms = static_cast<unsigned char>(last - first + 1);
    XkbChangeMap(display_, xkb, &changes);
    XkbFreeKeyboard(xkb, 0, True);
}

void X11Keyboard::prepareText(std::u32string_view text) {
    reloadIfChanged();
    restoreIfIdle();
    lend(text);
    lastUseMs_ = nowMs();
}

void X11Keyboard::finishText() {
    XFlush(display_);
    lastUseMs_ = nowMs();
}

std::int16_t X11Keyboard::vkKeyScan(char32_t ch) {
    auto place = model_.find(ch);
    if (!place) return -1;
    std::uint8_t vk = model_.virtualKeyFor(place->keycode);
    if (vk == 0) vk = model_.assignSpareVirtualKey(place->keycode);
    if (vk == 0) return -1;
    levelOfVk_[vk] = place->level;
    static constexpr int kShiftState[4] = {0, 1, 6, 7};
    int level = place->level;
    // CapsLock turns a letter key's first level into its capital and back; Shift then undoes
    // that, so the letter keeps the case the text has and the lock stays as the user set it.
    if (capsLocked_ && level < 2) {
        KeySym lower = 0, upper = 0;
        const KeySym base = model_.keysymAt(place->keycode, 0);
        XConvertCase(base, &lower, &upper);
        if (lower == base && upper != lower && upper == model_.keysymAt(place->keycode, 1))
            level ^= 1;
    }
    return static_cast<std::int16_t>((kShiftState[level] << 8) | vk);
}

std::uint32_t X11Keyboard::mapVirtualKey(std::uint8_t virtualKey) {
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    return kc >= 8 ? static_cast<std::uint32_t>(kc - 8) : 0;  // the evdev code, close to set 1
}

std::uint8_t X11Keyboard::keycodeForEvent(std::uint8_t virtualKey) const {
    switch (virtualKey) {
        case kVkShift: return shiftKeycode_;
        case kVkControl: return controlKeycode_;
        case kVkMenu: return altKeycode_;
        default: return model_.keycodeFor(virtualKey);
    }
}

void X11Keyboard::fakeKey(std::uint8_t keycode, bool down) {
    if (keycode == 0) return;
    XTestFakeKeyEvent(display_, keycode, down ? True : False, CurrentTime);
}

// Counted, so that Shift pressed twice by the sender (a pending Shift and a capital letter) is
// one press at the server, and the last release really lets go.
void X11Keyboard::press(std::uint8_t keycode) {
    if (keycode == 0) return;
    if (pressCount_[keycode]++ == 0) fakeKey(keycode, true);
}

void X11Keyboard::release(std::uint8_t keycode) {
    if (keycode == 0 || pressCount_[keycode] == 0) return;
    if (--pressCount_[keycode] == 0) fakeKey(keycode, false);
}

void X11Keyboard::keyEvent(std::uint8_t virtualKey, std::uint8_t, std::uint32_t flags) {
    const bool up = flags & kKeyUp;
    if (virtualKey == kVkControl || virtualKey == kVkMenu) {
        bool& wanted = virtualKey == kVkControl ? ctrlWanted_ : altWanted_;
        bool& keySince = virtualKey == kVkControl ? keySinceCtrl_ : keySinceAlt_;
        const std::uint8_t kc = keycodeForEvent(virtualKey);
        if (!up) {
            wanted = true;
            keySince = false;
        } else if (wanted) {
            wanted = false;
            if (pressCount_[kc] > 0)
                release(kc);
            else if (!keySince) {  // a modifier tapped on its own still reaches the server
                press(kc);
                release(kc);
            }
        }
        return;
    }
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    if (up) {
        release(kc);
        if (level3Held_ == virtualKey) {
            release(model_.level3Keycode());
            level3Held_ = 0;
        }
        return;
    }
    if (virtualKey != kVkShift) keySinceCtrl_ = keySinceAlt_ = true;
    const bool altGr = levelOfVk_[virtualKey] >= 2 && ctrlWanted_ && altWanted_ &&
                       model_.level3Keycode() != 0 && virtualKey != kVkShift;
    if (altGr) {
        press(model_.level3Keycode());
        level3Held_ = virtualKey;
    } else if (virtualKey != kVkShift) {
        if (ctrlWanted_ && pressCount_[controlKeycode_] == 0) press(controlKeycode_);
        if (altWanted_ && pressCount_[altKeycode_] == 0) press(altKeycode_);
    }
    press(kc);
}

bool X11Keyboard::isKeyDown(std::uint8_t virtualKey) {
    const std::uint8_t kc = keycodeForEvent(virtualKey);
    if (kc == 0) return false;
    char keys[32];
    XQueryKeymap(display_, keys);
    return keys[kc / 8] & (1 << (kc % 8));
}

std::string X11Keyboard::keyLabel(std::uint8_t virtualKey) {
    reloadIfChanged();
    const std::uint8_t kc = model_.keycodeFor(virtualKey);
    const char32_t ch = kc ? KeymapModel::keysymToChar(model_.keysymAt(kc, 0)) : 0;
    if (ch < 0x21) return {};
    return encodeUtf8(std::u32string(1, ch));
}

std::uint8_t X11Keyboard::virtualKeyOfScanCode(std::uint32_t keycode) {
    if (keycode > 255) return 0;
    reloadIfChanged();
    return model_.virtualKeyFor(static_cast<std::uint8_t>(keycode));
}

void X11Keyboard::restoreIfIdle() {
    if (!loans_.empty() && nowMs() - lastUseMs_ > kLoanGraceMs) restoreLoans();
}

void X11Keyboard::restoreLoans() {
    if (loans_.empty()) return;
    if (fenceKeycode() != 0) fenceInput(fenceKeycode());
    std::map<std::uint8_t, std::uint32_t> changes;
    for (const auto& [kc, ch] : loans_) changes[kc] = NoSymbol;
    setKeySymbols(changes);
    loans_.clear();
    dirty_ = true;
}

void X11Keyboard::releaseAll() {
    for (int kc = 0; kc < 256; ++kc) {
        if (pressCount_[kc] > 0) fakeKey(static_cast<std::uint8_t>(kc), false);
        pressCount_[kc] = 0;
    }
    ctrlWanted_ = altWanted_ = false;
    level3Held_ = 0;
    XFlush(display_);
}

}  // namespace ostrevin::platform
