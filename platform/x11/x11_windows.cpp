#include "platform/x11/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace ostrevin::platform {

namespace {

// Windows come and go while we look at them; a window that vanished between the listing and the
// question is no error worth ending the program for.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

std::unique_ptr<X11WindowSystem> X11WindowSystem::open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    XSetErrorHandler(ignoreErrors);
    return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(display));
}

X11WindowSystem::X11WindowSystem(Display* display) : display_(display) {}

X11WindowSystem::~X11WindowSystem() {
    XCloseDisplay(display_);
}

std::optional<std::vector<unsigned long>> X11WindowSystem::windowList(WindowId owner,
                                                                      const char* property) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom atom = XInternAtom(display_, property, False);
    if (XGetWindowProperty(display_, owner, atom, 0, 1 << 20, False, AnyPropertyType, &actualType,
                           &format, &count, &after, &data) != Success ||
        format != 32 || !data) {
        if (data) XFree(data);
        return std::nullopt;
    }
    const auto* values = reinterpret_cast<unsigned long*>(data);
    std::vector<unsigned long> list(values, values + count);
    XFree(data);
    return list;
}

bool X11WindowSystem::hasWindowManager() {
    auto check = windowList(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK");
    return check && !check->empty() && (*check)[0] != 0;
}

std::vector<WindowId> X11WindowSystem::clientsFrontToBack() {
    if (hasWindowManager()) {
        if (auto stacking = windowList(DefaultRootWindow(display_), "_NET_CLIENT_LIST_STACKING")) {
            std::vector<WindowId> ids(stacking->rbegin(), stacking->rend());
            return ids;
        }
    }
    return clientsFromTree();
}

// Without a window manager: the root's children, top-most first, each replaced by the client
// window (the one with WM_STATE) inside it.
std::vector<WindowId> X11WindowSystem::clientsFromTree() {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<WindowId> ids;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
        return ids;
    for (unsigned int i = count; i-- > 0;) {
        const WindowId client = clientOf(children[i], 0);
        ids.push_back(client ? client : children[i]);
    }
    if (children) XFree(children);
    return ids;
}

WindowId X11WindowSystem::clientOf(WindowId frame, int depth) {
    if (windowList(frame, "WM_STATE")) return frame;
    if (depth > 3) return 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, frame, &root, &parent, &children, &count)) return 0;
    WindowId found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) found = clientOf(children[i], depth + 1);
    if (children) XFree(children);
    return found;
}

std::string X11WindowSystem::titleOf(WindowId window) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    if (XGetWindowProperty(display_, window, netName, 0, 4096, False, utf8, &actualType, &format,
                           &count, &after, &data) == Success &&
        data && actualType == utf8 && format == 8) {
        std::string title(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    if (data) XFree(data);
    XTextProperty property{};
    std::string title;
    if (XGetWMName(display_, window, &property) && property.value) {
        char** list = nullptr;
        int n = 0;
        if (Xutf8TextPropertyToTextList(display_, &property, &list, &n) >= Success && n > 0 &&
            list) {
            title = list[0];
            XFreeStringList(list);
        } else {
            title.assign(reinterpret_cast<char*>(property.value), property.nitems);
        }
        XFree(property.value);
    }
    return title;
}

bool X11WindowSystem::isViewable(WindowId window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_, window, &attributes) &&
           attributes.map_state == IsViewable;
}

bool X11WindowSystem::windowExists(WindowId window) {
    XWindowAttributes attributes{};
    return window != 0 && XGetWindowAttributes(display_, window, &attributes) != 0;
}

std::vector<WindowInfo> X11WindowSystem::enumerateWindows() {
    std::vector<WindowInfo> windows;
    for (WindowId id : clientsFrontToBack()) windows.push_back({id, titleOf(id), isViewable(id)});
    return windows;
}

WindowId X11WindowSystem::findWindow(const std::string& title) {
    for (WindowId id : clientsFrontToBack())
        if (titleOf(id) == title) return id;
    return 0;
}

WindowId X11WindowSystem::foregroundWindow() {
    if (hasWindowManager()) {
        auto active = windowList(DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW");
        if (active && !active->empty()) return (*active)[0];
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus > PointerRoot ? focus : 0;
}

bool X11WindowSystem::setForegroundWindow(WindowId window) {
    if (window == 0) return false;
    if (hasWindowManager()) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;  // a pager or similar tool: the user asked for it
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, DefaultRootWindow(display_), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XRaiseWindow(display_, window);
        XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    }
    XFlush(display_);
    // The window manager moves the focus in its own time; keys typed right after the request
    // would still reach the old window. Wait briefly until the change is seen.
    for (int i = 0; i < 200; ++i) {
        if (foregroundWindow() == window) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}  // namespace ostrevin::platform
