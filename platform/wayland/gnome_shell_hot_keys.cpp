#include "platform/wayland/gnome_shell_hot_keys.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <utility>

#include "platform/wayland/gnome_shell_names.h"
#include "platform/wayland/xkb_keymap_text.h"

namespace ostrevin::platform {

using namespace gnomeshell;

struct GnomeShellHotKeys::Callbacks {
    static int activated(sd_bus_message* message, void* self, sd_bus_error*) {
        auto* keys = static_cast<GnomeShellHotKeys*>(self);
        std::uint32_t action = 0;
        if (sd_bus_message_read(message, "u", &action) < 0) return 0;
        for (const auto& [id, bound] : keys->bound_)
            if (bound == action) keys->pressed_.push_back(id);
        return 0;
    }
    // An error answers too: an extension that cannot tell must not keep the macro waiting.
    static int released(sd_bus_message*, void* self, sd_bus_error*) {
        static_cast<GnomeShellHotKeys*>(self)->released_ = true;
        return 0;
    }
};

namespace {
// Longer than the extension's own limit, so that its answer, not a timeout, ends the wait.
constexpr std::uint64_t kReleaseWaitUs = 60'000'000;
}  // namespace

std::unique_ptr<GnomeShellHotKeys> GnomeShellHotKeys::open(KeyName keyName) {
    Bus bus = openSessionBus();
    if (!bus || !nameHasOwner(bus.get(), kBusName)) return nullptr;
    std::unique_ptr<GnomeShellHotKeys> keys(
        new GnomeShellHotKeys(std::move(bus), std::move(keyName)));
    if (keys->pollFd_ < 0 || keys->wakeFd_ < 0) return nullptr;
    if (sd_bus_match_signal(keys->bus_.get(), &keys->match_, nullptr, kObjectPath, kInterface,
                            "Activated", &Callbacks::activated, keys.get()) < 0)
        return nullptr;
    epoll_event busEvent{EPOLLIN, {.fd = sd_bus_get_fd(keys->bus_.get())}};
    epoll_event wakeEvent{EPOLLIN, {.fd = keys->wakeFd_}};
    if (epoll_ctl(keys->pollFd_, EPOLL_CTL_ADD, busEvent.data.fd, &busEvent) != 0 ||
        epoll_ctl(keys->pollFd_, EPOLL_CTL_ADD, keys->wakeFd_, &wakeEvent) != 0)
        return nullptr;
    keys->wake();  // what arrived while the match was added
    return keys;
}

GnomeShellHotKeys::KeyName GnomeShellHotKeys::keyNamesOf(const std::string& keymapText) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context) return {};
    xkb_keymap* keymap = nullptr;
    if (!keymapText.empty())
        keymap = xkb_keymap_new_from_string(context, keymapText.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    if (!keymap) return {};
    auto model = std::make_shared<KeymapModel>();
    model->load(keysOfKeymap(keymap), 0);
    xkb_keymap_unref(keymap);
    return [model](std::uint8_t virtualKey) { return keysymNameOf(*model, virtualKey); };
}

GnomeShellHotKeys::GnomeShellHotKeys(Bus bus, KeyName keyName)
    : bus_(std::move(bus)),
      keyName_(std::move(keyName)),
      pollFd_(epoll_create1(EPOLL_CLOEXEC)),
      wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

GnomeShellHotKeys::~GnomeShellHotKeys() {
    unbindAll();
    sd_bus_slot_unref(match_);
    sd_bus_slot_unref(releaseWait_);
    if (pollFd_ >= 0) close(pollFd_);
    if (wakeFd_ >= 0) close(wakeFd_);
}

void GnomeShellHotKeys::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
}

bool GnomeShellHotKeys::registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) {
    unregisterHotKey(id);
    const std::string text = accelerator(modifiers, keyName_ ? keyName_(virtualKey) : "");
    if (text.empty()) return false;
    sd_bus_message* raw = nullptr;
    const int r = sd_bus_call_method(bus_.get(), kBusName, kObjectPath, kInterface,
                                     "GrabAccelerator", nullptr, &raw, "s", text.c_str());
    wake();
    if (r < 0) return false;
    Message reply(raw);
    std::uint32_t action = 0;
    // Action 0: the shell or another program holds the combination.
    if (sd_bus_message_read(raw, "u", &action) < 0 || action == 0) return false;
    bound_[id] = action;
    return true;
}

void GnomeShellHotKeys::unregisterHotKey(int id) {
    auto it = bound_.find(id);
    if (it == bound_.end()) return;
    sd_bus_call_method(bus_.get(), kBusName, kObjectPath, kInterface, "UngrabAccelerator", nullptr,
                       nullptr, "u", it->second);
    wake();
    bound_.erase(it);
}

void GnomeShellHotKeys::unbindAll() {
    while (!bound_.empty()) unregisterHotKey(bound_.begin()->first);
}

bool GnomeShellHotKeys::keysHeld(int) {
    if (!releaseWait_) {
        sd_bus_message* raw = nullptr;
        if (sd_bus_message_new_method_call(bus_.get(), &raw, kBusName, kObjectPath, kInterface,
                                           "WaitForRelease") < 0)
            return false;
        Message call(raw);
        released_ = false;
        if (sd_bus_call_async(bus_.get(), &releaseWait_, raw, &Callbacks::released, this,
                              kReleaseWaitUs) < 0)
            return false;
    }
    processBus();
    // Presses read here would otherwise wait for the socket's next wake-up.
    if (!pressed_.empty()) wake();
    if (!released_ && !closed_) return true;
    releaseWait_ = sd_bus_slot_unref(releaseWait_);
    return false;
}

void GnomeShellHotKeys::processBus() {
    for (;;) {
        const int r = sd_bus_process(bus_.get(), nullptr);
        if (r < 0) closed_ = true;
        if (r <= 0) return;
    }
}

std::vector<int> GnomeShellHotKeys::readPending() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(wakeFd_, &count, sizeof count);
    processBus();
    return std::exchange(pressed_, {});
}

void GnomeShellHotKeys::deliver(int id) {
    if (handler_ && bound_.count(id)) handler_(id);
}

}  // namespace ostrevin::platform
