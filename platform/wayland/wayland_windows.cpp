#include "platform/wayland/wayland_windows.h"

#include <wayland-client.h>

#include "platform/wayland/wayland_session.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace ostrevin::platform {

namespace {

using Toplevel = WaylandWindows::Toplevel;

void onTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
    static_cast<Toplevel*>(data)->pendingTitle = title ? title : "";
}
void onAppId(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
void onOutput(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void onState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
    auto* t = static_cast<Toplevel*>(data);
    t->pendingActivated = t->pendingMinimized = false;
    const auto* state = static_cast<const std::uint32_t*>(states->data);
    for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
        if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) t->pendingActivated = true;
        if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED) t->pendingMinimized = true;
    }
}
void onDone(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto* t = static_cast<Toplevel*>(data);
    t->owner->done(*t);
}
void onClosed(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto* t = static_cast<Toplevel*>(data);
    t->owner->closed(*t);
}
void onParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

const zwlr_foreign_toplevel_handle_v1_listener kHandleListener = {
    onTitle, onAppId, onOutput, onOutput, onState, onDone, onClosed, onParent};

void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                zwlr_foreign_toplevel_handle_v1* handle) {
    static_cast<WaylandWindows*>(data)->added(handle);
}
void onFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {onToplevel, onFinished};

}  // namespace

std::unique_ptr<WaylandWindows> WaylandWindows::open(WaylandSession& session) {
    zwlr_foreign_toplevel_manager_v1* manager = session.bindToplevelManager();
    if (!manager) return nullptr;
    std::unique_ptr<WaylandWindows> windows(new WaylandWindows(session));
    windows->manager_ = manager;
    zwlr_foreign_toplevel_manager_v1_add_listener(manager, &kManagerListener, windows.get());
    session.roundtrip();
    return windows;
}

WaylandWindows::WaylandWindows(WaylandSession& session) : session_(session) {}

// Events still on their way (windows that opened since the last look) must find no listener
// pointing here once this object is gone.
WaylandWindows::~WaylandWindows() {
    zwlr_foreign_toplevel_manager_v1_stop(manager_);
    zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    for (Toplevel& t : toplevels_) zwlr_foreign_toplevel_handle_v1_destroy(t.handle);
    session_.flush();
}

// A window counts once its first state is complete, so that a trigger never sees it untitled.
void WaylandWindows::added(zwlr_foreign_toplevel_handle_v1* handle) {
    toplevels_.emplace_back();
    Toplevel& t = toplevels_.back();
    t.owner = this;
    t.handle = handle;
    t.id = nextId_++;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandleListener, &t);
}

void WaylandWindows::done(Toplevel& toplevel) {
    toplevel.title = toplevel.pendingTitle;
    toplevel.minimized = toplevel.pendingMinimized;
    const bool newlyActive = toplevel.pendingActivated && !toplevel.activated;
    toplevel.activated = toplevel.pendingActivated;
    for (auto it = toplevels_.begin(); it != toplevels_.end(); ++it) {
        if (&*it != &toplevel) continue;
        // Activated, or shown for the first time: to the front.
        if (newlyActive || !toplevel.announced)
            toplevels_.splice(toplevels_.begin(), toplevels_, it);
        break;
    }
    toplevel.announced = true;
}

void WaylandWindows::closed(Toplevel& toplevel) {
    zwlr_foreign_toplevel_handle_v1_destroy(toplevel.handle);
    toplevels_.remove_if([&toplevel](const Toplevel& t) { return &t == &toplevel; });
}

void WaylandWindows::refresh() {
    session_.roundtrip();
}

std::vector<WindowInfo> WaylandWindows::enumerateWindows() {
    refresh();
    // The windows listed at the start come in no order of use; the active one leads anyway.
    std::vector<WindowInfo> windows;
    for (const Toplevel& t : toplevels_)
        if (t.announced && t.activated) windows.push_back({t.id, t.title, !t.minimized});
    for (const Toplevel& t : toplevels_)
        if (t.announced && !t.activated) windows.push_back({t.id, t.title, !t.minimized});
    return windows;
}

WindowId WaylandWindows::findWindow(const std::string& title) {
    refresh();
    for (const Toplevel& t : toplevels_)
        if (t.announced && t.title == title) return t.id;
    return 0;
}

WindowId WaylandWindows::foregroundWindow() {
    refresh();
    for (const Toplevel& t : toplevels_)
        if (t.announced && t.activated) return t.id;
    return 0;
}

// The compositor decides; the answer is whether it has activated the window once asked.
bool WaylandWindows::setForegroundWindow(WindowId window) {
    refresh();
    for (Toplevel& t : toplevels_) {
        if (t.id != window) continue;
        if (t.minimized) zwlr_foreign_toplevel_handle_v1_unset_minimized(t.handle);
        zwlr_foreign_toplevel_handle_v1_activate(t.handle, session_.seat());
        refresh();
        return foregroundWindow() == window;
    }
    return false;
}

}  // namespace ostrevin::platform
