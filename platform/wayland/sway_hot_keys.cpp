#include "platform/wayland/sway_hot_keys.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace ostrevin::platform {

namespace {

constexpr int kReplyTimeoutMs = 2000;

int connectTo(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads what is there, waiting at most timeoutMs for the first byte; false at end or error.
bool readSome(int fd, swayipc::Reader& reader, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    reader.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    return true;
}

}  // namespace

std::unique_ptr<SwayHotKeys> SwayHotKeys::open(KeyName keyName) {
    const char* path = std::getenv("SWAYSOCK");
    if (!path || !path[0]) path = std::getenv("I3SOCK");
    if (!path || !path[0]) return nullptr;
    const int commandFd = connectTo(path);
    if (commandFd < 0) return nullptr;
    const int eventFd = connectTo(path);
    if (eventFd < 0) {
        close(commandFd);
        return nullptr;
    }
    std::unique_ptr<SwayHotKeys> keys(new SwayHotKeys(commandFd, eventFd, std::move(keyName)));
    // The subscription's reply comes first on the event socket; it is read here, before any event.
    swayipc::Reader reader;
    if (!writeAll(eventFd, swayipc::encode(swayipc::kSubscribe, "[\"binding\"]"))) return nullptr;
    std::optional<swayipc::Message> reply;
    while (!(reply = reader.next()))
        if (!readSome(eventFd, reader, kReplyTimeoutMs)) return nullptr;
    if (!swayipc::commandSucceeded(reply->payload)) return nullptr;
    keys->eventReader_ = std::move(reader);
    return keys;
}

SwayHotKeys::SwayHotKeys(int commandFd, int eventFd, KeyName keyName)
    : commandFd_(commandFd),
      eventFd_(eventFd),
      keyName_(std::move(keyName)),
      tagPrefix_("keyloom:" + std::to_string(getpid()) + ":") {}

SwayHotKeys::~SwayHotKeys() {
    unbindAll();
    close(commandFd_);
    close(eventFd_);
}

std::optional<std::string> SwayHotKeys::request(std::uint32_t type, const std::string& payload) {
    if (!writeAll(commandFd_, swayipc::encode(type, payload))) return std::nullopt;
    for (;;) {
        if (auto reply = commandReader_.next()) return reply->payload;
        if (!readSome(commandFd_, commandReader_, kReplyTimeoutMs)) return std::nullopt;
    }
}

std::string SwayHotKeys::comboOf(unsigned modifiers, std::uint8_t virtualKey) const {
    const std::string key = keyName_ ? keyName_(virtualKey) : "";
    if (key.empty()) return {};
    std::string combo;
    if (modifiers & kModShift) combo += "Shift+";
    if (modifiers & kModControl) combo += "Ctrl+";
    if (modifiers & kModAlt) combo += "Mod1+";
    return combo + key;
}

bool SwayHotKeys::registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) {
    unregisterHotKey(id);
    const std::string combo = comboOf(modifiers, virtualKey);
    if (combo.empty()) return false;
    const std::string normalized = swayipc::normalizeCombo(combo);
    for (const auto& [other, bound] : bound_)
        if (swayipc::normalizeCombo(bound) == normalized) return false;
    // The configuration is read each time: the user may have reloaded an edited one.
    const auto config = request(swayipc::kGetConfig, "");
    if (!config) return false;
    if (swayipc::configuredCombos(swayipc::jsonString(*config, "config").value_or(""))
            .count(normalized))
        return false;
    const auto reply = request(swayipc::kRunCommand, "bindsym --no-repeat " + combo + " nop " +
                                                         tagPrefix_ + std::to_string(id));
    if (!reply || !swayipc::commandSucceeded(*reply)) return false;
    bound_[id] = combo;
    return true;
}

void SwayHotKeys::unregisterHotKey(int id) {
    auto it = bound_.find(id);
    if (it == bound_.end()) return;
    request(swayipc::kRunCommand, "unbindsym --no-repeat " + it->second);
    bound_.erase(it);
}

void SwayHotKeys::unbindAll() {
    while (!bound_.empty()) unregisterHotKey(bound_.begin()->first);
}

std::vector<int> SwayHotKeys::readPending() {
    std::vector<int> ids;
    if (!readSome(eventFd_, eventReader_, 0)) closed_ = true;
    while (auto message = eventReader_.next()) {
        if (message->type != swayipc::kBindingEvent) continue;
        const auto command = swayipc::jsonString(message->payload, "command");
        const std::string prefix = "nop " + tagPrefix_;
        if (!command || command->rfind(prefix, 0) != 0) continue;
        const int id = std::atoi(command->c_str() + prefix.size());
        if (bound_.count(id)) ids.push_back(id);
    }
    return ids;
}

void SwayHotKeys::deliver(int id) {
    if (handler_ && bound_.count(id)) handler_(id);
}

}  // namespace ostrevin::platform
