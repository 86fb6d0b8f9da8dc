#include "platform/x11/x11_hot_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>

#include "platform/x11/x11_keymap_snapshot.h"

namespace ostrevin::platform {

namespace {

// Set by the error handler that is in force while grabs are made; the server answers BadAccess
// when another client holds the combination, BadValue for a keycode it does not know.
bool grabRefused = false;

int recordRefusal(Display*, XErrorEvent*) {
    grabRefused = true;
    return 0;
}

}  // namespace

std::unique_ptr<X11HotKeys> X11HotKeys::open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    int opcode = 0, event = 0, error = 0;
    int xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &xkbMajor, &xkbMinor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    std::unique_ptr<X11HotKeys> keys(new X11HotKeys(display));
    // From 2.1 on, raw events reach every client that selects them, whoever grabs the keyboard.
    int xiMajor = 2, xiMinor = 2;
    if (XQueryExtension(display, "XInputExtension", &opcode, &event, &error) &&
        XIQueryVersion(display, &xiMajor, &xiMinor) == Success &&
        (xiMajor > 2 || (xiMajor == 2 && xiMinor >= 1)))
        keys->xiOpcode_ = opcode;
    return keys;
}

X11HotKeys::X11HotKeys(Display* display) : display_(display), root_(DefaultRootWindow(display)) {
    readMapping();
}

X11HotKeys::~X11HotKeys() {
    for (const auto& [id, grab] : grabs_) ungrab(grab);
    XCloseDisplay(display_);
}

int X11HotKeys::connectionFd() const {
    return ConnectionNumber(display_);
}

bool X11HotKeys::hasQueuedEvents() const {
    return XQLength(display_) > 0;
}

void X11HotKeys::readMapping() {
    const KeymapSnapshot snapshot = readKeymap(display_);
    model_.load(snapshot.keys, snapshot.level3Keycode);
    altMask_ = numLockMask_ = scrollLockMask_ = 0;
    modifierKeycodes_.clear();
    XModifierKeymap* map = XGetModifierMapping(display_);
    if (!map) return;
    const int perModifier = map->max_keypermod;
    const auto keycodeAt = [&](int modifier, int k) {
        return static_cast<std::uint8_t>(map->modifiermap[modifier * perModifier + k]);
    };
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int k = 0; k < perModifier; ++k) {
            const std::uint8_t kc = keycodeAt(modifier, k);
            if (!kc) continue;
            const KeySym sym = XkbKeycodeToKeysym(display_, kc, 0, 0);
            if (sym == XK_Alt_L || sym == XK_Alt_R) altMask_ |= 1u << modifier;
            if (sym == XK_Num_Lock) numLockMask_ |= 1u << modifier;
            if (sym == XK_Scroll_Lock) scrollLockMask_ |= 1u << modifier;
        }
    }
    if (!altMask_) altMask_ = Mod1Mask;
    // Every key on the Shift, Control and Alt rows counts as held modifier, the right-hand ones
    // and Meta sharing the Alt row included.
    for (int modifier = 0; modifier < 8; ++modifier) {
        const unsigned bit = 1u << modifier;
        if (bit != ShiftMask && bit != ControlMask && !(bit & altMask_)) continue;
        for (int k = 0; k < perModifier; ++k)
            if (const std::uint8_t kc = keycodeAt(modifier, k)) modifierKeycodes_.push_back(kc);
    }
    XFreeModifiermap(map);
}

// Every combination of the lock modifiers that exist; a lock that shares its bit with a real
// modifier is left out, or grabbing it would grab that modifier too.
std::vector<unsigned> X11HotKeys::lockStates() const {
    std::vector<unsigned> locks;
    const unsigned real = ShiftMask | ControlMask | altMask_;
    for (unsigned mask : {unsigned{LockMask}, numLockMask_, scrollLockMask_}) {
        if (!mask || (mask & real)) continue;
        bool seen = false;
        for (unsigned l : locks) seen = seen || l == mask;
        if (!seen) locks.push_back(mask);
    }
    std::vector<unsigned> states;
    for (unsigned subset = 0; subset < (1u << locks.size()); ++subset) {
        unsigned state = 0;
        for (std::size_t i = 0; i < locks.size(); ++i)
            if (subset & (1u << i)) state |= locks[i];
        states.push_back(state);
    }
    return states;
}

bool X11HotKeys::grab(Grab& grab) {
    grab.keycode = model_.keycodeFor(grab.virtualKey);
    grab.mask = ((grab.modifiers & kModShift) ? ShiftMask : 0u) |
                ((grab.modifiers & kModControl) ? ControlMask : 0u) |
                ((grab.modifiers & kModAlt) ? altMask_ : 0u);
    if (grab.keycode == 0) return false;
    // Within the program one slot owns a combination; the server would let this client grab it
    // twice and give both grabs back on the first release.
    for (const auto& [id, other] : grabs_)
        if (&other != &grab && other.keycode == grab.keycode && other.mask == grab.mask) {
            grab.keycode = 0;
            return false;
        }
    XSync(display_, False);
    grabRefused = false;
    XErrorHandler previous = XSetErrorHandler(recordRefusal);
    for (unsigned state : lockStates())
        XGrabKey(display_, grab.keycode, grab.mask | state, root_, False, GrabModeAsync,
                 GrabModeAsync);
    XSync(display_, False);
    XSetErrorHandler(previous);
    if (grabRefused) {
        ungrab(grab);  // gives back only the states this client got
        grab.keycode = 0;
        return false;
    }
    return true;
}

void X11HotKeys::ungrab(const Grab& grab) {
    if (grab.keycode == 0) return;
    for (unsigned state : lockStates())
        XUngrabKey(display_, grab.keycode, grab.mask | state, root_);
    XFlush(display_);
}

bool X11HotKeys::registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) {
    unregisterHotKey(id);
    Grab grab;
    grab.modifiers = modifiers;
    grab.virtualKey = virtualKey;
    const bool grabbed = this->grab(grab);
    // A refused combination is kept without a keycode: the next keyboard mapping change tries it
    // again, since a key missing from one layout may be on the next, and another program may have
    // let it go.
    grabs_[id] = grab;
    return grabbed;
}

void X11HotKeys::unregisterHotKey(int id) {
    auto it = grabs_.find(id);
    if (it == grabs_.end()) return;
    ungrab(it->second);
    grabs_.erase(it);
}

bool X11HotKeys::keysHeld(int id) {
    if (xiOpcode_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    char keys[32];
    XQueryKeymap(display_, keys);
    const auto down = [&](std::uint8_t kc) { return kc && (keys[kc / 8] & (1 << (kc % 8))); };
    for (std::uint8_t kc : modifierKeycodes_)
        if (down(kc)) return true;
    auto it = grabs_.find(id);
    return it != grabs_.end() && down(it->second.keycode);
}

bool X11HotKeys::watchReleases(bool on) {
    if (xiOpcode_ < 0) return false;
    const int before = watchDepth_;
    watchDepth_ = on ? watchDepth_ + 1 : (watchDepth_ > 0 ? watchDepth_ - 1 : 0);
    if ((before == 0) != (watchDepth_ == 0)) {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        if (watchDepth_ > 0) XISetMask(bits, XI_RawKeyRelease);
        XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
        XISelectEvents(display_, root_, &mask, 1);
        XFlush(display_);
    }
    return true;
}

int X11HotKeys::idOfPress(std::uint8_t keycode, unsigned state) const {
    const unsigned modifiers = state & 0xFFu & ~(LockMask | numLockMask_ | scrollLockMask_);
    for (const auto& [id, grab] : grabs_)
        if (grab.keycode == keycode && grab.mask == modifiers) return id;
    return 0;
}

std::vector<int> X11HotKeys::readPending() {
    std::vector<int> pressed;
    bool remap = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == KeyPress) {
            if (const int id =
                    idOfPress(static_cast<std::uint8_t>(event.xkey.keycode), event.xkey.state))
                pressed.push_back(id);
        } else if (event.type == MappingNotify && event.xmapping.request != MappingPointer) {
            XRefreshKeyboardMapping(&event.xmapping);
            remap = true;
        }
        // Raw releases only wake the loop that waits for the keys; nothing to read in them.
    }
    if (remap) {
        // A new layout or modifier map: keys and lock masks may have moved. Every old keycode is
        // forgotten before the first new grab: a key that moved onto the keycode another slot
        // held before would otherwise be refused as that slot's combination.
        for (auto& [id, grab] : grabs_) {
            ungrab(grab);
            grab.keycode = 0;
        }
        readMapping();
        for (auto& [id, grab] : grabs_) this->grab(grab);
    }
    return pressed;
}

void X11HotKeys::deliver(int id) {
    if (handler_ && grabs_.count(id)) handler_(id);
}

}  // namespace ostrevin::platform
