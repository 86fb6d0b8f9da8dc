#include "platform/wayland/portal_global_shortcuts.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/wayland/portal_trigger.h"

namespace ostrevin::platform {

namespace {

constexpr const char* kGlobalShortcuts = "org.freedesktop.portal.GlobalShortcuts";
// The desktop files the shortcuts under the session's token: a fixed one keeps them in one place
// of the desktop's shortcut settings from run to run.
constexpr const char* kSessionToken = "keyloom";
constexpr const char* kIdPrefix = "keyloom-";
constexpr std::chrono::milliseconds kReleaseTimeout{2000};

// "keyloom-<id>-<trigger>": a changed key is a new shortcut, since the desktop keeps the key it
// once gave a shortcut id over the preferred trigger it is given later.
std::string shortcutId(int id, const std::string& trigger) {
    return kIdPrefix + std::to_string(id) + "-" + trigger;
}

int idOfShortcut(const std::string& shortcut) {
    const std::string prefix = kIdPrefix;
    if (shortcut.rfind(prefix, 0) != 0) return -1;
    char* end = nullptr;
    const long id = std::strtol(shortcut.c_str() + prefix.size(), &end, 10);
    return end && *end == '-' && id >= 0 ? static_cast<int>(id) : -1;
}

int onActivated(sd_bus_message* message, void* data, sd_bus_error*) {
    const char* session = nullptr;
    const char* shortcut = nullptr;
    if (sd_bus_message_read(message, "os", &session, &shortcut) >= 0)
        static_cast<PortalGlobalShortcuts*>(data)->activated(session, shortcut);
    return 0;
}

}  // namespace

std::unique_ptr<PortalGlobalShortcuts> PortalGlobalShortcuts::open(KeyName keyName) {
    auto bus = DbusConnection::openSession();
    if (!bus || bus->portalVersion(kGlobalShortcuts) == 0) return nullptr;
    std::unique_ptr<PortalGlobalShortcuts> keys(
        new PortalGlobalShortcuts(std::move(bus), std::move(keyName)));
    if (sd_bus_match_signal(keys->bus_->bus(), &keys->activatedSlot_, nullptr, nullptr,
                            kGlobalShortcuts, "Activated", onActivated, keys.get()) < 0)
        return nullptr;
    return keys;
}

PortalGlobalShortcuts::PortalGlobalShortcuts(std::unique_ptr<DbusConnection> bus, KeyName keyName)
    : bus_(std::move(bus)), keyName_(std::move(keyName)) {}

PortalGlobalShortcuts::~PortalGlobalShortcuts() {
    unbindAll();
    sd_bus_slot_unref(activatedSlot_);
}

int PortalGlobalShortcuts::eventFd() const {
    return sd_bus_get_fd(bus_->bus());
}

bool PortalGlobalShortcuts::registerHotKey(int id, unsigned modifiers, std::uint8_t virtualKey) {
    const std::string trigger = portalTrigger(modifiers, keyName_ ? keyName_(virtualKey) : "");
    wanted_.erase(id);
    bool taken = trigger.empty();
    for (const auto& [other, otherTrigger] : wanted_) taken = taken || otherTrigger == trigger;
    if (!taken) wanted_[id] = trigger;
    rebind();
    if (bound_.count(id)) return true;
    wanted_.erase(id);
    return false;
}

void PortalGlobalShortcuts::unregisterHotKey(int id) {
    if (wanted_.erase(id)) rebind();
}

void PortalGlobalShortcuts::unbindAll() {
    wanted_.clear();
    bound_.clear();
    closeSession();
    forgetUnused();
}

// KDE keeps the key of a shortcut whose session has ended for that shortcut, so that no other
// program may have it, until the component is cleaned up: ours is, before every new session and
// at exit, so that keys the program no longer uses are free again.
void PortalGlobalShortcuts::forgetUnused() {
    if (!bus_->hasName("org.kde.kglobalaccel")) return;
    const std::string component = std::string("/component/") + kSessionToken;
    auto call = [&](const char* member, int* answer) {
        sd_bus_message* reply = nullptr;
        const int r =
            sd_bus_call_method(bus_->bus(), "org.kde.kglobalaccel", component.c_str(),
                               "org.kde.kglobalaccel.Component", member, nullptr, &reply, "");
        if (r < 0 || sd_bus_message_read(reply, "b", answer) < 0) *answer = 0;
        sd_bus_message_unref(reply);
    };
    // The portal lets go of a closed session's shortcuts after it has answered the Close; until
    // then they count as in use and would be kept.
    const auto deadline = std::chrono::steady_clock::now() + kReleaseTimeout;
    int active = 1;
    while (active && std::chrono::steady_clock::now() < deadline) {
        call("isActive", &active);
        if (active) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    int cleaned = 0;
    call("cleanUp", &cleaned);
}

void PortalGlobalShortcuts::closeSession() {
    if (session_.empty()) return;
    sd_bus_call_method(bus_->bus(), "org.freedesktop.portal.Desktop", session_.c_str(),
                       "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
    session_.clear();
}

void PortalGlobalShortcuts::rebind() {
    closeSession();
    forgetUnused();  // keys of ours left over, from the last session or an earlier run
    bound_.clear();
    bool listed = false;
    if (wanted_.empty() || !createSession(bus_->newToken(), &listed)) return;
    // A desktop that took the list with the session answers with it; calling BindShortcuts
    // there as well would open its shortcut settings in front of the user.
    if (!listed) bindShortcuts();
}

int PortalGlobalShortcuts::appendShortcuts(sd_bus_message* m) const {
    int r = sd_bus_message_open_container(m, 'a', "(sa{sv})");
    for (const auto& [id, trigger] : wanted_) {
        const std::string description = "Keyloom hot key " + std::to_string(id);
        if (r >= 0) r = sd_bus_message_open_container(m, 'r', "sa{sv}");
        if (r >= 0) r = sd_bus_message_append(m, "s", shortcutId(id, trigger).c_str());
        if (r >= 0)
            r = sd_bus_message_append(m, "a{sv}", 2, "description", "s", description.c_str(),
                                      "preferred_trigger", "s", trigger.c_str());
        if (r >= 0) r = sd_bus_message_close_container(m);
    }
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

bool PortalGlobalShortcuts::createSession(const std::string& token, bool* shortcutsListed) {
    sd_bus_message* call = bus_->newPortalCall(kGlobalShortcuts, "CreateSession");
    const bool built =
        call && sd_bus_message_open_container(call, 'a', "{sv}") >= 0 &&
        sd_bus_message_append(call, "{sv}", "handle_token", "s", token.c_str()) >= 0 &&
        sd_bus_message_append(call, "{sv}", "session_handle_token", "s", kSessionToken) >= 0 &&
        sd_bus_message_open_container(call, 'e', "sv") >= 0 &&
        sd_bus_message_append(call, "s", "shortcuts") >= 0 &&
        sd_bus_message_open_container(call, 'v', "a(sa{sv})") >= 0 && appendShortcuts(call) >= 0 &&
        sd_bus_message_close_container(call) >= 0 && sd_bus_message_close_container(call) >= 0 &&
        sd_bus_message_close_container(call) >= 0;
    if (!built) {
        sd_bus_message_unref(call);
        return false;
    }
    std::string session;
    bool listed = false;
    const int code = bus_->request(call, token, [&](sd_bus_message* results) {
        readVardict(results, [&](const std::string& key, sd_bus_message* m) {
            const char* value = nullptr;
            if (key == "shortcuts" && sd_bus_message_enter_container(m, 'v', "a(sa{sv})") > 0) {
                readBound(m);
                listed = sd_bus_message_exit_container(m) >= 0;
                return true;
            }
            if (key != "session_handle" || sd_bus_message_read(m, "v", "s", &value) < 0)
                return false;
            session = value;
            return true;
        });
    });
    *shortcutsListed = listed;
    if (code != 0 || session.empty()) return false;
    session_ = session;
    return true;
}

// The answer lists the session's shortcuts with the key each got.
void PortalGlobalShortcuts::bindShortcuts() {
    const std::string token = bus_->newToken();
    sd_bus_message* call = bus_->newPortalCall(kGlobalShortcuts, "BindShortcuts");
    const bool built =
        call && sd_bus_message_append(call, "o", session_.c_str()) >= 0 &&
        appendShortcuts(call) >= 0 && sd_bus_message_append(call, "s", "") >= 0 &&
        sd_bus_message_append(call, "a{sv}", 1, "handle_token", "s", token.c_str()) >= 0;
    if (!built) {
        sd_bus_message_unref(call);
        return;
    }
    bus_->request(call, token, [this](sd_bus_message* results) {
        readVardict(results, [this](const std::string& key, sd_bus_message* m) {
            if (key != "shortcuts" || sd_bus_message_enter_container(m, 'v', "a(sa{sv})") <= 0)
                return false;
            readBound(m);
            sd_bus_message_exit_container(m);
            return true;
        });
    });
}

void PortalGlobalShortcuts::readBound(sd_bus_message* m) {
    if (sd_bus_message_enter_container(m, 'a', "(sa{sv})") <= 0) return;
    while (sd_bus_message_enter_container(m, 'r', "sa{sv}") > 0) {
        const char* shortcut = nullptr;
        if (sd_bus_message_read(m, "s", &shortcut) < 0) return;
        std::string keys;
        readVardict(m, [&keys](const std::string& key, sd_bus_message* v) {
            const char* value = nullptr;
            if (key != "trigger_description" || sd_bus_message_read(v, "v", "s", &value) < 0)
                return false;
            keys = value;
            return true;
        });
        const int id = idOfShortcut(shortcut);
        const auto want = wanted_.find(id);
        if (!keys.empty() && want != wanted_.end() && shortcutId(id, want->second) == shortcut)
            bound_.insert(id);
        sd_bus_message_exit_container(m);
    }
    sd_bus_message_exit_container(m);
}

void PortalGlobalShortcuts::activated(const std::string& session, const std::string& shortcut) {
    const int id = idOfShortcut(shortcut);
    if (session == session_ && bound_.count(id)) pending_.push_back(id);
}

std::vector<int> PortalGlobalShortcuts::readPending() {
    if (sd_bus_process(bus_->bus(), nullptr) < 0) closed_ = true;
    bus_->processPending();
    std::vector<int> ids;
    ids.swap(pending_);
    return ids;
}

void PortalGlobalShortcuts::deliver(int id) {
    if (handler_ && bound_.count(id)) handler_(id);
}

}  // namespace ostrevin::platform
