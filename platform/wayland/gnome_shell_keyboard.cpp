#include "platform/wayland/gnome_shell_keyboard.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>

#include "platform/wayland/gnome_shell_bus.h"
#include "platform/wayland/gnome_shell_names.h"

namespace ostrevin::platform {

namespace {
// Longer than the shell could take for any batch: past it the shell is stuck.
constexpr auto kDrainLimit = std::chrono::seconds(10);
constexpr std::uint64_t kBatchTimeoutUs = 2'000'000;
}  // namespace

std::unique_ptr<PortalKeyboard> GnomeShellKeyboard::open(const std::string& seatKeymap,
                                                         const std::string& tokenFile) {
    auto bus = portalBus();
    if (!bus) return nullptr;
    std::unique_ptr<GnomeShellKeyboard> keyboard(new GnomeShellKeyboard(std::move(bus)));
    if (!keyboard->begin(seatKeymap, tokenFile)) return nullptr;
    // An empty batch asks whether the extension types for this session.
    if (gnomeshell::nameHasOwner(keyboard->connection(), gnomeshell::kBusName) &&
        keyboard->typeBatch({}))
        keyboard->sender_ = std::thread([k = keyboard.get()] { k->run(); });
    return keyboard;
}

GnomeShellKeyboard::~GnomeShellKeyboard() {
    close();
}

void GnomeShellKeyboard::close() {
    if (sender_.joinable()) {
        releaseAll();
        drain();
        stopSender();
        takeBackFailed();
    }
    PortalKeyboard::close();
}

void GnomeShellKeyboard::stopSender() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    sender_.join();
}

bool GnomeShellKeyboard::typeBatch(const std::vector<Key>& keys) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(connection(), &raw, gnomeshell::kBusName,
                                       gnomeshell::kObjectPath, gnomeshell::kInterface,
                                       "TypeKeys") < 0)
        return false;
    gnomeshell::Message call(raw);
    if (sd_bus_message_append(raw, "o", sessionHandle().c_str()) < 0 ||
        sd_bus_message_open_container(raw, 'a', "(ub)") < 0)
        return false;
    for (const auto& [keycode, down] : keys)
        if (sd_bus_message_append(raw, "(ub)", std::uint32_t{keycode}, int{down}) < 0) return false;
    return sd_bus_message_close_container(raw) >= 0 &&
           sd_bus_call(connection(), raw, kBatchTimeoutUs, nullptr, nullptr) >= 0;
}

void GnomeShellKeyboard::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || failed_ || !queue_.empty(); });
        if (failed_ || queue_.empty()) return;
        const auto end =
            queue_.begin() + static_cast<std::ptrdiff_t>(std::min(queue_.size(), kBatchLimit));
        std::vector<Key> batch(queue_.begin(), end);
        queue_.erase(queue_.begin(), end);
        inFlight_ = true;
        lock.unlock();
        const bool typed = typeBatch(batch);
        lock.lock();
        inFlight_ = false;
        // An extension that was switched off or refuses the session now: the batch and what
        // follows it go through the portal, in their order.
        if (!typed) {
            queue_.insert(queue_.begin(), batch.begin(), batch.end());
            failed_ = true;
        }
        drained_.notify_all();
    }
}

// Bounded, so that a stuck shell cannot keep the program from ending.
void GnomeShellKeyboard::drain() {
    wake_.notify_one();
    std::unique_lock lock(mutex_);
    drained_.wait_for(lock, kDrainLimit,
                      [this] { return failed_ || (queue_.empty() && !inFlight_); });
}

// On the program's thread, once the sender thread has let go of the connection.
void GnomeShellKeyboard::takeBackFailed() {
    std::vector<Key> keys;
    {
        std::lock_guard lock(mutex_);
        if (!failed_) return;
        keys.swap(queue_);
    }
    if (sender_.joinable()) sender_.join();  // it ends on a failed batch
    for (const auto& [keycode, down] : keys) PortalKeyboard::sendKey(keycode, down);
}

void GnomeShellKeyboard::sendKey(std::uint8_t keycode, bool down) {
    if (sender_.joinable()) {
        std::unique_lock lock(mutex_);
        if (!failed_) {
            queue_.emplace_back(keycode, down);
            if (queue_.size() >= kBatchLimit) wake_.notify_one();
            return;
        }
        lock.unlock();
        takeBackFailed();
    }
    PortalKeyboard::sendKey(keycode, down);
}

void GnomeShellKeyboard::flush() {
    if (sender_.joinable()) {
        wake_.notify_one();
        takeBackFailed();
    }
    if (!sender_.joinable()) PortalKeyboard::flush();
}

}  // namespace ostrevin::platform
