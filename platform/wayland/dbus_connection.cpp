#include "platform/wayland/dbus_connection.h"

#include <systemd/sd-bus.h>

#include <cstdlib>

namespace ostrevin::platform {

namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";

struct PendingResponse {
    const std::function<void(sd_bus_message*)>* reader;
    int code = -1;
    bool done = false;
};

int onResponse(sd_bus_message* message, void* data, sd_bus_error*) {
    auto* pending = static_cast<PendingResponse*>(data);
    std::uint32_t code = 2;
    if (sd_bus_message_read(message, "u", &code) < 0) code = 2;
    if (code == 0 && *pending->reader) (*pending->reader)(message);
    pending->code = static_cast<int>(code);
    pending->done = true;
    return 0;
}

}  // namespace

std::unique_ptr<DbusConnection> DbusConnection::openSession() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return nullptr;
    std::unique_ptr<DbusConnection> connection(new DbusConnection(bus));
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(bus, &unique) < 0 || !unique) return nullptr;
    for (const char* c = unique[0] == ':' ? unique + 1 : unique; *c; ++c)
        connection->senderPart_ += *c == '.' ? '_' : *c;
    return connection;
}

DbusConnection::DbusConnection(sd_bus* bus) : bus_(bus) {}

DbusConnection::~DbusConnection() {
    sd_bus_flush_close_unref(bus_);
}

bool DbusConnection::hasName(const char* name) {
    sd_bus_message* reply = nullptr;
    int has = 0;
    if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s", name) >= 0)
        if (sd_bus_message_read(reply, "b", &has) < 0) has = 0;
    sd_bus_message_unref(reply);
    return has != 0;
}

std::uint32_t DbusConnection::portalVersion(const char* interface) {
    std::uint32_t version = 0;
    if (sd_bus_get_property_trivial(bus_, kPortalName, kPortalPath, interface, "version", nullptr,
                                    'u', &version) < 0)
        return 0;
    return version;
}

std::string DbusConnection::stringProperty(const char* destination, const char* path,
                                           const char* interface, const char* name) {
    char* value = nullptr;
    if (sd_bus_get_property_string(bus_, destination, path, interface, name, nullptr, &value) < 0)
        return {};
    std::string result(value);
    free(value);
    return result;
}

std::string DbusConnection::newToken() {
    return "keyloom" + std::to_string(++tokens_);
}

std::string DbusConnection::requestPath(const std::string& token) const {
    return std::string(kPortalPath) + "/request/" + senderPart_ + "/" + token;
}

sd_bus_message* DbusConnection::newPortalCall(const char* interface, const char* member) {
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus_, &call, kPortalName, kPortalPath, interface, member) <
        0)
        return nullptr;
    return call;
}

int DbusConnection::request(sd_bus_message* call, const std::string& token,
                            const std::function<void(sd_bus_message*)>& reader,
                            std::chrono::milliseconds timeout) {
    if (!call) return -1;
    PendingResponse pending{&reader};
    sd_bus_slot* slot = nullptr;
    // Subscribed first: the response may follow the call's reply at once.
    if (sd_bus_match_signal(bus_, &slot, nullptr, requestPath(token).c_str(),
                            "org.freedesktop.portal.Request", "Response", onResponse,
                            &pending) < 0) {
        sd_bus_message_unref(call);
        return -1;
    }
    const auto timeoutUs = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(kResponseTimeout).count());
    sd_bus_message* reply = nullptr;
    const int called = sd_bus_call(bus_, call, timeoutUs, nullptr, &reply);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (called >= 0 && !pending.done) {
        const int processed = sd_bus_process(bus_, nullptr);
        if (processed < 0) break;
        if (processed > 0) continue;
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) break;
        sd_bus_wait(bus_, static_cast<std::uint64_t>(
                              std::chrono::duration_cast<std::chrono::microseconds>(left).count()));
    }
    sd_bus_slot_unref(slot);
    return pending.done ? pending.code : -1;
}

void DbusConnection::processPending() {
    while (sd_bus_process(bus_, nullptr) > 0) {
    }
}

void DbusConnection::flush() {
    sd_bus_flush(bus_);
}

bool readVardict(sd_bus_message* message,
                 const std::function<bool(const std::string&, sd_bus_message*)>& read) {
    if (sd_bus_message_enter_container(message, 'a', "{sv}") <= 0) return false;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(message, "s", &key) < 0) return false;
        if (!read(key, message) && sd_bus_message_skip(message, "v") < 0) return false;
        if (sd_bus_message_exit_container(message) < 0) return false;
    }
    return sd_bus_message_exit_container(message) >= 0;
}

}  // namespace ostrevin::platform
