#include "platform/wayland/wayland_session.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>

#include "kde-fake-input-client-protocol.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace ostrevin::platform {

namespace {

void noRemoval(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {&WaylandSession::global, noRemoval};

void ignoreEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void ignoreLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void ignoreKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void ignoreModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                     std::uint32_t, std::uint32_t) {}
void ignoreRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
void ignoreName(void*, wl_seat*, const char*) {}
void ignoreGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t, const char*, const char*, std::int32_t) {}
void ignoreDone(void*, wl_output*) {}
void ignoreScale(void*, wl_output*, std::int32_t) {}
void ignoreText(void*, wl_output*, const char*) {}

}  // namespace

// Bound below the compositor's version where ours is older, never above what we were built for.
void WaylandSession::global(void* data, wl_registry* registry, std::uint32_t name,
                            const char* interface, std::uint32_t version) {
    auto* self = static_cast<WaylandSession*>(data);
    auto bind = [&](const wl_interface* wanted, std::uint32_t ours) {
        return wl_registry_bind(registry, name, wanted, version < ours ? version : ours);
    };
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->seat_) {
        self->seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        static const wl_seat_listener listener = {&WaylandSession::capabilities, ignoreName};
        wl_seat_add_listener(self->seat_, &listener, self);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0 && !self->output_) {
        self->output_ = static_cast<wl_output*>(bind(&wl_output_interface, 2));
        static const wl_output_listener listener = {ignoreGeometry, &WaylandSession::outputMode,
                                                    ignoreDone,     ignoreScale,
                                                    ignoreText,     ignoreText};
        wl_output_add_listener(self->output_, &listener, self);
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        self->keyboardManager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
            bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        self->pointerManager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
            bind(&zwlr_virtual_pointer_manager_v1_interface, 2));
    } else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0) {
        self->fakeInput_ =
            static_cast<org_kde_kwin_fake_input*>(bind(&org_kde_kwin_fake_input_interface, 4));
        self->fakeInputVersion_ = version < 4 ? version : 4;
    } else if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
        self->toplevelName_ = name;
        self->toplevelVersion_ = version < 3 ? version : 3;
    }
}

void WaylandSession::keymap(void* data, wl_keyboard*, std::uint32_t format, int fd,
                            std::uint32_t size) {
    auto* self = static_cast<WaylandSession*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            self->seatKeymap_.assign(static_cast<const char*>(map),
                                     strnlen(static_cast<const char*>(map), size));
            munmap(map, size);
        }
    }
    close(fd);
}

void WaylandSession::outputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                                std::int32_t height, std::int32_t) {
    auto* self = static_cast<WaylandSession*>(data);
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    self->outputWidth_ = width;
    self->outputHeight_ = height;
}

// A seat without a keyboard of its own (a headless session) announces no keymap; the keyboard
// then types with the layout the environment names.
void WaylandSession::capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
    auto* self = static_cast<WaylandSession*>(data);
    if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD) || self->keyboard_) return;
    static const wl_keyboard_listener listener = {
        &WaylandSession::keymap, ignoreEnter, ignoreLeave, ignoreKey,
        ignoreModifiers,         ignoreRepeat};
    self->keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(self->keyboard_, &listener, self);
}

std::unique_ptr<WaylandSession> WaylandSession::connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return nullptr;
    std::unique_ptr<WaylandSession> session(new WaylandSession(display));
    session->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(session->registry_, &kRegistryListener, session.get());
    // The globals, then the seat's capabilities, then the keymap of its keyboard.
    for (int i = 0; i < 3; ++i) wl_display_roundtrip(display);
    return session;
}

WaylandSession::WaylandSession(wl_display* display) : display_(display) {}

WaylandSession::~WaylandSession() {
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    if (output_) wl_output_destroy(output_);
    if (pointerManager_) zwlr_virtual_pointer_manager_v1_destroy(pointerManager_);
    if (fakeInput_) org_kde_kwin_fake_input_destroy(fakeInput_);
    if (keyboardManager_) zwp_virtual_keyboard_manager_v1_destroy(keyboardManager_);
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

// Bound only when wanted: the compositor lists every window right after the bind, and events
// that arrive before the caller's listener are lost.
zwlr_foreign_toplevel_manager_v1* WaylandSession::bindToplevelManager() {
    if (!toplevelName_) return nullptr;
    return static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
        registry_, toplevelName_, &zwlr_foreign_toplevel_manager_v1_interface, toplevelVersion_));
}

void WaylandSession::dispatchPending() {
    wl_display_flush(display_);
    if (wl_display_prepare_read(display_) == 0) {
        // Non-blocking: the socket is read only when something is waiting on it.
        pollfd p{wl_display_get_fd(display_), POLLIN, 0};
        if (poll(&p, 1, 0) > 0)
            wl_display_read_events(display_);
        else
            wl_display_cancel_read(display_);
    }
    wl_display_dispatch_pending(display_);
}

// The client library gives up on the connection when its buffer overflows, so a long text waits
// here for the compositor to catch up instead of piling requests up.
void WaylandSession::flush() {
    while (wl_display_flush(display_) < 0 && errno == EAGAIN) {
        pollfd p{wl_display_get_fd(display_), POLLOUT, 0};
        if (poll(&p, 1, 5000) <= 0) return;
    }
}

void WaylandSession::roundtrip() {
    wl_display_roundtrip(display_);
}

bool WaylandSession::broken() const {
    return wl_display_get_error(display_) != 0;
}

}  // namespace ostrevin::platform
