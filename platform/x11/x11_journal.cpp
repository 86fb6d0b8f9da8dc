#include "platform/x11/x11_journal.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

namespace ostrevin::platform {

namespace {

std::array<std::uint32_t, 256> firstLevelSymbols(Display* display) {
    std::array<std::uint32_t, 256> table{};
    int minCode = 0, maxCode = 0, perCode = 0;
    XDisplayKeycodes(display, &minCode, &maxCode);
    KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(minCode),
                                       maxCode - minCode + 1, &perCode);
    if (!syms) return table;
    for (int code = minCode; code <= maxCode && code < 256; ++code)
        if (perCode > 0) table[code] = static_cast<std::uint32_t>(syms[(code - minCode) * perCode]);
    XFree(syms);
    return table;
}

std::string layoutNames(Display* display) {
    Atom property = XInternAtom(display, "_XKB_RULES_NAMES", True);
    if (property == None) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False, XA_STRING,
                           &type, &format, &count, &after, &data) != Success ||
        !data)
        return {};
    std::string names(reinterpret_cast<char*>(data), count);
    XFree(data);
    while (!names.empty() && names.back() == '\0') names.pop_back();
    for (char& c : names)
        if (c == '\0') c = ',';
    return names;
}

void modifierKeys(Display* display, CaptureStart& start) {
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) return;
    auto take = [&](int index, std::vector<std::uint8_t>& into) {
        for (int i = 0; i < map->max_keypermod; ++i)
            if (KeyCode code = map->modifiermap[index * map->max_keypermod + i])
                into.push_back(code);
    };
    take(ShiftMapIndex, start.shiftKeys);
    take(ControlMapIndex, start.controlKeys);
    take(Mod1MapIndex, start.otherModifierKeys);
    take(Mod4MapIndex, start.otherModifierKeys);
    XFreeModifiermap(map);
}

void wakeUp(int fd) {
    const std::uint64_t one = 1;
    if (::write(fd, &one, sizeof one) < 0) {
        // The counter is already set: whoever waits wakes anyway.
    }
}

void drainWake(int fd) {
    std::uint64_t value = 0;
    while (::read(fd, &value, sizeof value) > 0) {
    }
}

void recordCallback(XPointer closure, XRecordInterceptData* data);

}  // namespace

// ---- capture ----

std::unique_ptr<X11InputCapture> X11InputCapture::open(const char* displayName) {
    Display* control = XOpenDisplay(displayName);
    if (!control) return nullptr;
    int major = 0, minor = 0;
    Display* data =
        XRecordQueryVersion(control, &major, &minor) ? XOpenDisplay(displayName) : nullptr;
    const int wakeFd = data ? ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
    if (wakeFd < 0) {
        if (data) XCloseDisplay(data);
        XCloseDisplay(control);
        return nullptr;
    }
    return std::unique_ptr<X11InputCapture>(new X11InputCapture(control, data, wakeFd));
}

X11InputCapture::X11InputCapture(Display* control, Display* data, int wakeFd)
    : control_(control), data_(data), wakeFd_(wakeFd) {}

X11InputCapture::~X11InputCapture() {
    if (context_) {
        XRecordDisableContext(control_, context_);
        XRecordFreeContext(control_, context_);
        XSync(control_, False);
    }
    XCloseDisplay(data_);
    XCloseDisplay(control_);
    ::close(wakeFd_);
}

bool X11InputCapture::begin(bool keysOnly, CaptureStart& start, std::string& error) {
    start.screen = {DisplayWidth(control_, DefaultScreen(control_)),
                    DisplayHeight(control_, DefaultScreen(control_))};
    start.layout = layoutNames(control_);
    keysyms_ = firstLevelSymbols(control_);
    for (int code = 0; code < 256; ++code)
        if (keysyms_[code] == XK_F12) start.stopKeys.push_back(static_cast<std::uint8_t>(code));
    modifierKeys(control_, start);
    char keys[32] = {};
    XQueryKeymap(control_, keys);
    for (int code = 0; code < 256; ++code)
        if (keys[code / 8] & (1 << (code % 8))) start.heldKeys.push_back(code);

    XRecordRange* range = XRecordAllocRange();
    if (!range) {
        error = "out of memory";
        return false;
    }
    range->device_events.first = KeyPress;
    range->device_events.last = keysOnly ? KeyRelease : MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    context_ = XRecordCreateContext(control_, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(control_, False);
    if (!context_ || !XRecordEnableContextAsync(data_, context_, recordCallback,
                                                reinterpret_cast<XPointer>(this))) {
        error = "the X server refused to record input";
        return false;
    }
    return true;
}

void X11InputCapture::deliver(const unsigned char* data) {
    const auto* event = reinterpret_cast<const xEvent*>(data);
    RawInputEvent raw;
    switch (event->u.u.type & 0x7f) {
        case KeyPress: raw.kind = RawEventKind::KeyDown; break;
        case KeyRelease: raw.kind = RawEventKind::KeyUp; break;
        case ButtonPress: raw.kind = RawEventKind::ButtonDown; break;
        case ButtonRelease: raw.kind = RawEventKind::ButtonUp; break;
        case MotionNotify: raw.kind = RawEventKind::Motion; break;
        default: return;
    }
    raw.detail = raw.kind == RawEventKind::Motion ? 0 : event->u.u.detail;
    if (isKey(raw.kind)) raw.keysym = keysyms_[raw.detail];
    raw.x = event->u.keyButtonPointer.rootX;
    raw.y = event->u.keyButtonPointer.rootY;
    raw.timeMs = event->u.keyButtonPointer.time;
    if (onEvent_) (*onEvent_)(raw);
}

namespace {

void recordCallback(XPointer closure, XRecordInterceptData* data) {
    auto* capture = reinterpret_cast<X11InputCapture*>(closure);
    capture->intercept(data->category, data->data, data->data_len);
    XRecordFreeData(data);
}

}  // namespace

void X11InputCapture::intercept(int category, const unsigned char* data, unsigned long length) {
    if (category == XRecordEndOfData) ended_ = true;
    if (category != XRecordFromServer || length * 4 < sizeof(xEvent)) return;
    deliver(data);
}

void X11InputCapture::run(const std::function<void(const RawInputEvent&)>& onEvent) {
    onEvent_ = &onEvent;
    pollfd fds[2] = {{ConnectionNumber(data_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (!stopped_) {
        XRecordProcessReplies(data_);
        if (stopped_) break;
        ::poll(fds, 2, -1);
    }
    // Everything captured before the stop still belongs to the recording.
    XRecordDisableContext(control_, context_);
    XSync(control_, False);
    for (int round = 0; round < 100 && !ended_; ++round) {
        XRecordProcessReplies(data_);
        if (!ended_) ::poll(fds, 1, 10);
    }
    XRecordFreeContext(control_, context_);
    XSync(control_, False);
    context_ = 0;
    onEvent_ = nullptr;
    drainWake(wakeFd_);
}

void X11InputCapture::stop() {
    stopped_ = true;
    wakeUp(wakeFd_);
}

// ---- replay ----

std::unique_ptr<X11InputReplay> X11InputReplay::open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    const int wakeFd = XTestQueryExtension(display, &event, &error, &major, &minor)
                           ? ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)
                           : -1;
    if (wakeFd < 0) {
        XCloseDisplay(display);
        return nullptr;
    }
    auto replay = std::unique_ptr<X11InputReplay>(new X11InputReplay(display, wakeFd));
    replay->watchEscape();
    // The playback thread wakes at the due microsecond rather than up to 50 us later.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    return replay;
}

X11InputReplay::X11InputReplay(Display* display, int wakeFd)
    : display_(display), wakeFd_(wakeFd), keysyms_(firstLevelSymbols(display)) {
    for (int code = 0; code < 256; ++code) escapeKeys_[code] = keysyms_[code] == XK_Escape;
}

X11InputReplay::~X11InputReplay() {
    XCloseDisplay(display_);
    ::close(wakeFd_);
}

// Raw key events reach a client whoever has the keyboard grabbed, and cost the server nothing
// it would not do anyway.
void X11InputReplay::watchEscape() {
    int event = 0, error = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error)) {
        xiOpcode_ = -1;
        return;
    }
    int major = 2, minor = 2;
    if (XIQueryVersion(display_, &major, &minor) != Success) {
        xiOpcode_ = -1;
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XSync(display_, False);
}

void X11InputReplay::drainEvents() {
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xiOpcode_ ||
            !XGetEventData(display_, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            if (raw->detail >= 0 && raw->detail < 256 && escapeKeys_[raw->detail]) {
                if (ownEscapes_ > 0)
                    --ownEscapes_;
                else
                    userCancel_ = true;
            }
        }
        XFreeEventData(display_, cookie);
    }
}

ScreenSize X11InputReplay::screen() {
    return {DisplayWidth(display_, DefaultScreen(display_)),
            DisplayHeight(display_, DefaultScreen(display_))};
}

std::int64_t X11InputReplay::nowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000 + ts.tv_nsec / 1000;
}

bool X11InputReplay::interrupted() {
    drainEvents();
    return userCancel_ || stopped_;
}

bool X11InputReplay::waitUntil(std::int64_t dueUs) {
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        if (interrupted()) return false;
        const std::int64_t left = dueUs - nowUs();
        if (left <= 0) return true;
        const timespec timeout{static_cast<time_t>(left / 1'000'000),
                               static_cast<long>((left % 1'000'000) * 1000)};
        ::ppoll(fds, 2, &timeout, nullptr);
    }
}

std::uint8_t X11InputReplay::keycodeFor(const RawInputEvent& event) const {
    // The same key when it still carries the recorded symbol; else the key that carries it now
    // (another layout or keyboard); else the recorded key.
    if (event.keysym == 0 || keysyms_[event.detail] == event.keysym) return event.detail;
    for (int code = 8; code < 256; ++code)
        if (keysyms_[code] == event.keysym) return static_cast<std::uint8_t>(code);
    return event.detail;
}

void X11InputReplay::send(const RawInputEvent& event) {
    switch (event.kind) {
        case RawEventKind::KeyDown:
        case RawEventKind::KeyUp: {
            const std::uint8_t code = keycodeFor(event);
            const bool down = event.kind == RawEventKind::KeyDown;
            if (down && escapeKeys_[code]) ++ownEscapes_;
            XTestFakeKeyEvent(display_, code, down, CurrentTime);
            break;
        }
        case RawEventKind::ButtonDown:
        case RawEventKind::ButtonUp:
            XTestFakeButtonEvent(display_, event.detail, event.kind == RawEventKind::ButtonDown,
                                 CurrentTime);
            if (event.kind == RawEventKind::ButtonUp) waitForPointerThaw(event.detail);
            break;
        case RawEventKind::Motion:
            XTestFakeMotionEvent(display_, DefaultScreen(display_), event.x, event.y, CurrentTime);
            break;
    }
}

// A window manager that takes clicks for focusing holds the pointer (a synchronous grab) until
// it passes the click on, while keys go on at once: keys sent after a click could overtake it.
// Until the release of the click has gone through, the server still shows the button down.
void X11InputReplay::waitForPointerThaw(std::uint8_t button) {
    if (button < 1 || button > 5) return;
    const unsigned int mask = Button1Mask << (button - 1);
    const std::int64_t deadline = nowUs() + kThawWaitUs;
    for (;;) {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int state = 0;
        XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y,
                      &state);
        if (!(state & mask) || nowUs() > deadline) return;
        if (!waitUntil(nowUs() + 1000)) return;
    }
}

void X11InputReplay::sync() {
    XSync(display_, False);
    drainEvents();
}

void X11InputReplay::stop() {
    stopped_ = true;
    wakeUp(wakeFd_);
}

}  // namespace ostrevin::platform
