// keylog: a small X client for end-to-end tests. It shows a window with the given title, takes
// the keyboard focus, and appends every character it receives to a file (UTF-8, Return as "\n");
// Like the GTK and Qt toolkits it keeps its own XKB keymap and fetches it whole whenever the
// server reports a change, rather than relying on Xlib's piecemeal refresh;
// keys that give no text are written as "<KeysymName>", modifier keys alone not at all.
// With --sentinel NAME it also creates FILE.done when that key arrives, so a test can wait for the
// end of what it typed; --ready FILE is created, holding the window id, once the window has had
// the focus. With --clicks 1 it also writes each mouse button press as "<B1 x,y>" (screen
// position). With --raw FILE it writes every key event it receives to FILE as it came, a line
// each, "+38" for a press of keycode 38 and "-38" for its release, keys without symbols included.
//
//   keylog --title TITLE --out FILE [--sentinel F12] [--ready FILE] [--delay MS] [--clicks 1]
//          [--raw FILE]
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
    std::string title = "keylog";
    std::string out;
    std::string sentinel;
    std::string ready;
    int delayMs = 0;
    bool clicks = false;
    std::string raw;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string flag = argv[i];
        if (flag == "--title")
            o.title = argv[i + 1];
        else if (flag == "--out")
            o.out = argv[i + 1];
        else if (flag == "--sentinel")
            o.sentinel = argv[i + 1];
        else if (flag == "--ready")
            o.ready = argv[i + 1];
        else if (flag == "--delay")
            o.delayMs = std::atoi(argv[i + 1]);
        else if (flag == "--raw")
            o.raw = argv[i + 1];
        else if (flag == "--clicks")
            o.clicks = std::atoi(argv[i + 1]) != 0;
        else
            return false;
    }
    return !o.out.empty();
}

void touch(const std::string& path, const std::string& content = {}) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (!content.empty() && ::write(fd, content.data(), content.size()) < 0) std::perror("keylog");
    ::close(fd);
}

void appendText(int fd, const std::string& text) {
    if (::write(fd, text.data(), text.size()) < 0) std::perror("keylog: write");
}

bool isModifier(KeySym sym) {
    return IsModifierKey(sym) || sym == XK_ISO_Level3_Shift;
}

void setTitle(Display* dpy, Window win, const std::string& title) {
    XStoreName(dpy, win, title.c_str());
    Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    XChangeProperty(dpy, win, XInternAtom(dpy, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    XClassHint hint{const_cast<char*>("keylog"), const_cast<char*>("Keylog")};
    XSetClassHint(dpy, win, &hint);
}

void requestFocus(Display* dpy, Window win) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = win;
    ev.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = 2;
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, DefaultRootWindow(dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &ev);
    XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
    XFlush(dpy);
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!parse(argc, argv, opt)) {
        std::fprintf(stderr,
                     "usage: keylog --title TITLE --out FILE [--sentinel KEY] [--ready FILE]\n");
        return 2;
    }
    // A window that appears some time after its program started.
    if (opt.delayMs > 0) ::usleep(static_cast<useconds_t>(opt.delayMs) * 1000);
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 3;
    int out = ::open(opt.out.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (out < 0) return 4;
    const int raw = opt.raw.empty()
                        ? -1
                        : ::open(opt.raw.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);

    Window win = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 50, 50, 480, 200, 1,
                                     BlackPixel(dpy, 0), WhitePixel(dpy, 0));
    setTitle(dpy, win, opt.title);
    XSelectInput(dpy, win,
                 KeyPressMask | FocusChangeMask | StructureNotifyMask | ExposureMask |
                     (opt.clicks ? ButtonPressMask : 0) | (raw >= 0 ? KeyReleaseMask : 0));
    int xkbEvent = 0, xkbError = 0, major = XkbMajorVersion, minor = XkbMinorVersion, opcode = 0;
    if (!XkbQueryExtension(dpy, &opcode, &xkbEvent, &xkbError, &major, &minor)) return 5;
    XkbSelectEvents(dpy, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    XkbDescPtr xkb = XkbGetMap(dpy, XkbAllClientInfoMask, XkbUseCoreKbd);
    XMapRaised(dpy, win);

    bool announced = false;
    bool mapped = false, focused = false;
    for (;;) {
        // On a loaded machine the window manager may still be busy with another window when ours
        // maps, and hand the focus elsewhere: ask again until the focus has come.
        if (!focused && mapped && XPending(dpy) == 0) {
            pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
            if (::poll(&fd, 1, 250) == 0) {
                requestFocus(dpy, win);
                continue;
            }
        }
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type == MapNotify) requestFocus(dpy, win), mapped = true;
        if (ev.type == FocusIn) focused = true;
        if (ev.type == FocusIn && !announced && !opt.ready.empty()) {
            touch(opt.ready, std::to_string(win) + "\n");
            announced = true;
        }
        if (ev.type == xkbEvent) {
            XkbFreeKeyboard(xkb, 0, True);
            xkb = XkbGetMap(dpy, XkbAllClientInfoMask, XkbUseCoreKbd);
            continue;
        }
        if (ev.type == ButtonPress) {
            appendText(out, "<B" + std::to_string(ev.xbutton.button) + " " +
                                std::to_string(ev.xbutton.x_root) + "," +
                                std::to_string(ev.xbutton.y_root) + ">");
            continue;
        }
        if (raw >= 0 && (ev.type == KeyPress || ev.type == KeyRelease))
            appendText(raw,
                       (ev.type == KeyPress ? "+" : "-") + std::to_string(ev.xkey.keycode) + "\n");
        if (ev.type != KeyPress) continue;
        KeySym sym = NoSymbol;
        unsigned int consumed = 0;
        XkbTranslateKeyCode(xkb, static_cast<KeyCode>(ev.xkey.keycode), ev.xkey.state, &consumed,
                            &sym);
        char buf[64] = {};
        int n = (ev.xkey.state & ControlMask) ? 0 : xkb_keysym_to_utf8(sym, buf, sizeof buf);
        if (n > 0) --n;  // the terminating zero
        const char* name = XKeysymToString(sym);
        const bool lineBreak = sym == XK_Return || sym == XK_KP_Enter;
        std::string text = lineBreak ? std::string(1, '\n')
                                     : std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        // Keys with Ctrl or Alt held are commands, not text: a name says more to a test.
        const bool command = ev.xkey.state & (ControlMask | Mod1Mask);
        if (text.empty() || command) {
            if (isModifier(sym) || sym == NoSymbol) continue;  // as every program ignores them
            text.assign(1, '<');
            if (ev.xkey.state & ControlMask) text.append("C-");
            if (ev.xkey.state & Mod1Mask) text.append("A-");
            text.append(name ? name : "?").append(1, '>');
        }
        appendText(out, text);
        if (!opt.sentinel.empty() && name && opt.sentinel == name) touch(opt.out + ".done");
    }
}
