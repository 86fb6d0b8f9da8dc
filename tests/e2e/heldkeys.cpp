// heldkeys: prints the keys the X server holds down (XQueryKeymap) and exits 1 when there are any,
// so that every end-to-end test can prove it left no key, modifiers included, stuck.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdio>

int main() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 2;
    char keys[32];
    XQueryKeymap(dpy, keys);
    int held = 0;
    for (int code = 0; code < 256; ++code) {
        if (!(keys[code / 8] & (1 << (code % 8)))) continue;
        KeySym sym = XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(code), 0, 0);
        const char* name = XKeysymToString(sym);
        std::printf("%d %s\n", code, name ? name : "?");
        ++held;
    }
    XCloseDisplay(dpy);
    return held ? 1 : 0;
}
