// The program's own connection to the Wayland compositor, apart from the toolkit's, with the
// globals that typing, pointer playback and the window list need.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_keyboard;
struct wl_output;
struct zwp_virtual_keyboard_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct org_kde_kwin_fake_input;

namespace ostrevin::platform {

class WaylandSession {
  public:
    // nullptr when no compositor answers on WAYLAND_DISPLAY.
    static std::unique_ptr<WaylandSession> connect();
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    wl_display* display() const { return display_; }
    wl_seat* seat() const { return seat_; }
    zwp_virtual_keyboard_manager_v1* keyboardManager() const { return keyboardManager_; }
    zwlr_virtual_pointer_manager_v1* pointerManager() const { return pointerManager_; }
    bool offersToplevels() const { return toplevelName_ != 0; }
    // KWin's fake input, which KWin lists only to programs whose installed desktop entry asks
    // for it; nullptr elsewhere.
    org_kde_kwin_fake_input* fakeInput() const { return fakeInput_; }
    std::uint32_t fakeInputVersion() const { return fakeInputVersion_; }
    // A new binding of the window list's manager, which the caller destroys; nullptr when the
    // compositor offers none.
    zwlr_foreign_toplevel_manager_v1* bindToplevelManager();

    // The size of the first output's current mode in pixels; 0 before it is known.
    int outputWidth() const { return outputWidth_; }
    int outputHeight() const { return outputHeight_; }
    // The keymap the seat's keyboard last announced (what the user types with), "" before any.
    const std::string& seatKeymap() const { return seatKeymap_; }
    // Sends what is queued and handles what the compositor sent, without waiting.
    void dispatchPending();
    // Sends every queued request, waiting while the compositor is behind.
    void flush();
    // Returns once the compositor has handled every request sent so far.
    void roundtrip();
    bool broken() const;

    // Listeners of the registry and the seat's keyboard.
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void outputMode(void* data, wl_output* output, std::uint32_t flags, std::int32_t width,
                           std::int32_t height, std::int32_t refresh);
    static void capabilities(void* data, wl_seat* seat, std::uint32_t caps);
    static void keymap(void* data, wl_keyboard* keyboard, std::uint32_t format, int fd,
                       std::uint32_t size);

  private:
    explicit WaylandSession(wl_display* display);

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager_ = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager_ = nullptr;
    std::uint32_t toplevelName_ = 0, toplevelVersion_ = 0;
    org_kde_kwin_fake_input* fakeInput_ = nullptr;
    std::uint32_t fakeInputVersion_ = 0;
    wl_output* output_ = nullptr;
    int outputWidth_ = 0, outputHeight_ = 0;
    std::string seatKeymap_;
};

}  // namespace ostrevin::platform
