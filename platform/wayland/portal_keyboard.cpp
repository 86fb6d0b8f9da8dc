#include "platform/wayland/portal_keyboard.h"

#include <systemd/sd-bus.h>

#include <fstream>
#include <iterator>

#include "common/paths.h"

namespace ostrevin::platform {

namespace {

constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";
constexpr std::uint32_t kDeviceKeyboard = 1, kDevicePointer = 2;
constexpr std::uint32_t kPersistUntilRevoked = 2;
constexpr int kStartRefused = 2;
constexpr std::uint64_t kKeyReplyTimeoutUs = 2'000'000;

std::string readToken(const std::string& path) {
    std::ifstream in(path);
    std::string token;
    std::getline(in, token);
    return token;
}

void writeToken(const std::string& path, const std::string& token) {
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) makeFolders(path.substr(0, slash));
    std::ofstream(path, std::ios::trunc) << token << "\n";
}

// Appends "{sv}" entries of string values to an a{sv} the caller has opened.
int appendString(sd_bus_message* m, const char* key, const std::string& value) {
    return sd_bus_message_append(m, "{sv}", key, "s", value.c_str());
}

}  // namespace

std::unique_ptr<PortalKeyboard> PortalKeyboard::open(const std::string& seatKeymap,
                                                     const std::string& tokenFile) {
    auto bus = portalBus();
    if (!bus) return nullptr;
    std::unique_ptr<PortalKeyboard> keyboard(new PortalKeyboard(std::move(bus)));
    if (!keyboard->begin(seatKeymap, tokenFile)) return nullptr;
    return keyboard;
}

std::unique_ptr<DbusConnection> PortalKeyboard::portalBus() {
    auto bus = DbusConnection::openSession();
    if (!bus || bus->portalVersion(kRemoteDesktop) == 0) return nullptr;
    return bus;
}

bool PortalKeyboard::begin(const std::string& seatKeymap, const std::string& tokenFile) {
    return loadKeymap(seatKeymap) && startSession(tokenFile);
}

PortalKeyboard::PortalKeyboard(std::unique_ptr<DbusConnection> bus) : bus_(std::move(bus)) {}

PortalKeyboard::~PortalKeyboard() {
    close();
}

// A restore token spares the user the portal's question next time; a stale one is dropped and
// the session asked for afresh.
bool PortalKeyboard::startSession(const std::string& tokenFile) {
    const bool persist = !tokenFile.empty() && bus_->portalVersion(kRemoteDesktop) >= 2;
    std::string token = persist ? readToken(tokenFile) : "";
    if (!createSession() || !selectDevices(token, persist)) return false;
    std::string newToken;
    int code = start(&newToken);
    if (code != 0 && !token.empty()) {
        close();
        token.clear();
        if (!createSession() || !selectDevices(token, persist)) return false;
        code = start(&newToken);
    }
    if (code != 0) {
        close();
        return false;
    }
    if (persist && !newToken.empty() && newToken != token) writeToken(tokenFile, newToken);
    // Where the seat has no keyboard of its own, the desktop makes the session's keyboard on its
    // first key event and drops that event: let it be a release of Shift, which changes nothing.
    // Through the portal whatever way the keys go later, since it is the portal's keyboard.
    if (shiftKeycode() != 0) PortalKeyboard::sendKey(shiftKeycode(), false);
    return true;
}

bool PortalKeyboard::createSession() {
    const std::string token = bus_->newToken();
    sd_bus_message* call = bus_->newPortalCall(kRemoteDesktop, "CreateSession");
    if (!call || sd_bus_message_open_container(call, 'a', "{sv}") < 0 ||
        appendString(call, "handle_token", token) < 0 ||
        appendString(call, "session_handle_token", bus_->newToken()) < 0 ||
        sd_bus_message_close_container(call) < 0) {
        sd_bus_message_unref(call);
        return false;
    }
    std::string session;
    const int code = bus_->request(call, token, [&session](sd_bus_message* results) {
        readVardict(results, [&session](const std::string& key, sd_bus_message* m) {
            const char* value = nullptr;
            if (key != "session_handle" || sd_bus_message_read(m, "v", "s", &value) < 0)
                return false;
            session = value;
            return true;
        });
    });
    if (code != 0 || session.empty()) return false;
    session_ = session;
    return true;
}

bool PortalKeyboard::selectDevices(const std::string& restoreToken, bool persist) {
    const std::string token = bus_->newToken();
    sd_bus_message* call = bus_->newPortalCall(kRemoteDesktop, "SelectDevices");
    bool built =
        call && sd_bus_message_append(call, "o", session_.c_str()) >= 0 &&
        sd_bus_message_open_container(call, 'a', "{sv}") >= 0 &&
        appendString(call, "handle_token", token) >= 0 &&
        sd_bus_message_append(call, "{sv}", "types", "u", kDeviceKeyboard | kDevicePointer) >= 0;
    if (built && persist)
        built =
            sd_bus_message_append(call, "{sv}", "persist_mode", "u", kPersistUntilRevoked) >= 0 &&
            (restoreToken.empty() || appendString(call, "restore_token", restoreToken) >= 0);
    if (!built || sd_bus_message_close_container(call) < 0) {
        sd_bus_message_unref(call);
        return false;
    }
    return bus_->request(call, token) == 0;
}

// The portal answers "refused" to a Start that comes before it has looked at the desktop's
// screens, which happens right after the bus started it for our first call: asked again.
int PortalKeyboard::start(std::string* restoreToken) {
    int code = -1;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        const std::string token = bus_->newToken();
        sd_bus_message* call = bus_->newPortalCall(kRemoteDesktop, "Start");
        if (!call || sd_bus_message_append(call, "os", session_.c_str(), "") < 0 ||
            sd_bus_message_open_container(call, 'a', "{sv}") < 0 ||
            appendString(call, "handle_token", token) < 0 ||
            sd_bus_message_close_container(call) < 0) {
            sd_bus_message_unref(call);
            return -1;
        }
        std::uint32_t devices = 0;
        code = bus_->request(
            call, token,
            [&](sd_bus_message* results) {
                readVardict(results, [&](const std::string& key, sd_bus_message* m) {
                    const char* value = nullptr;
                    if (key == "devices") return sd_bus_message_read(m, "v", "u", &devices) >= 0;
                    if (key != "restore_token" || sd_bus_message_read(m, "v", "s", &value) < 0)
                        return false;
                    *restoreToken = value;
                    return true;
                });
            },
            DbusConnection::kQuestionTimeout);
        if (code == 0 && !(devices & kDeviceKeyboard)) code = kStartRefused;
        if (code != kStartRefused) break;
    }
    return code;
}

void PortalKeyboard::close() {
    releaseAll();
    if (session_.empty()) return;
    sd_bus_call_method(bus_->bus(), "org.freedesktop.portal.Desktop", session_.c_str(),
                       "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
    session_.clear();
}

// A portal that stops answering ends the session on our side: a text would otherwise wait out
// the bound at every one of its keys.
void PortalKeyboard::sendKey(std::uint8_t keycode, bool down) {
    if (session_.empty()) return;
    sd_bus_message* call = bus_->newPortalCall(kRemoteDesktop, "NotifyKeyboardKeycode");
    const bool sent =
        call &&
        sd_bus_message_append(call, "oa{sv}iu", session_.c_str(), 0,
                              static_cast<std::int32_t>(keycode) - 8, down ? 1u : 0u) >= 0 &&
        sd_bus_call(bus_->bus(), call, kKeyReplyTimeoutUs, nullptr, nullptr) >= 0;
    sd_bus_message_unref(call);
    if (!sent) session_.clear();
}

void PortalKeyboard::flush() {
    bus_->flush();
}

}  // namespace ostrevin::platform
