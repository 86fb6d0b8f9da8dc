#include "platform/wayland/gnome_shell_paster.h"

#include <systemd/sd-bus.h>

#include <chrono>

#include "platform/wayland/gnome_shell_names.h"
#include "platform/wayland/selection_transfer.h"

namespace ostrevin::platform {

namespace {

constexpr const char* kRemoteDesktop = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kRemoteDesktopPath = "/org/gnome/Mutter/RemoteDesktop";
constexpr const char* kSession = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr std::uint32_t kClipboard = 0, kPrimary = 1;
// A receiver that stops reading for this long gets no more of the selection.
constexpr int kWriteTimeoutMs = 2000;
int appendContents(sd_bus_message* m, const GnomeShellPaster::Contents& contents) {
    int r = sd_bus_message_open_container(m, 'a', "(say)");
    for (const auto& [type, bytes] : contents) {
        if (r >= 0) r = sd_bus_message_open_container(m, 'r', "say");
        if (r >= 0) r = sd_bus_message_append(m, "s", type.c_str());
        if (r >= 0) r = sd_bus_message_append_array(m, 'y', bytes.data(), bytes.size());
        if (r >= 0) r = sd_bus_message_close_container(m);
    }
    return r >= 0 ? sd_bus_message_close_container(m) : r;
}

// Read off the bus while it is being processed, answered once processing is over: answering
// takes calls of its own.
int onTransfer(sd_bus_message* m, void* data, sd_bus_error*) {
    const char* type = nullptr;
    std::uint32_t serial = 0;
    if (sd_bus_message_read(m, "su", &type, &serial) >= 0)
        static_cast<GnomeShellPaster*>(data)->transferAsked(type, serial);
    return 0;
}

int onOwnerChanged(sd_bus_message* m, void* data, sd_bus_error*) {
    if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return 0;
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        int owns = 0;
        if (sd_bus_message_read(m, "s", &key) >= 0 && std::string(key) == "session-is-owner" &&
            sd_bus_message_read(m, "v", "b", &owns) >= 0)
            static_cast<GnomeShellPaster*>(data)->ownerChanged(owns);
        else
            sd_bus_message_skip(m, "v");
        sd_bus_message_exit_container(m);
    }
    return 0;
}

}  // namespace

std::unique_ptr<GnomeShellPaster> GnomeShellPaster::open() {
    gnomeshell::Bus bus = gnomeshell::openSessionBus();
    if (!bus || !gnomeshell::nameHasOwner(bus.get(), gnomeshell::kBusName) ||
        !gnomeshell::nameHasOwner(bus.get(), kRemoteDesktop))
        return nullptr;
    std::unique_ptr<GnomeShellPaster> paster(new GnomeShellPaster(std::move(bus)));
    // An extension of an older version lacks the selection methods.
    Contents probe;
    if (!paster->readSelection(kPrimary, &probe) || !paster->start()) return nullptr;
    return paster;
}

bool GnomeShellPaster::start() {
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus_.get(), kRemoteDesktop, kRemoteDesktopPath, kRemoteDesktop,
                           "CreateSession", nullptr, &reply, "") < 0)
        return false;
    gnomeshell::Message owned(reply);
    const char* path = nullptr;
    if (sd_bus_message_read(reply, "o", &path) < 0) return false;
    session_ = path;
    if (sd_bus_match_signal(bus_.get(), &slots_[0], kRemoteDesktop, path, kSession,
                            "SelectionTransfer", onTransfer, this) < 0 ||
        sd_bus_match_signal(bus_.get(), &slots_[1], kRemoteDesktop, path, kSession,
                            "SelectionOwnerChanged", onOwnerChanged, this) < 0)
        return false;
    return sd_bus_call_method(bus_.get(), kRemoteDesktop, path, kSession, "EnableClipboard",
                              nullptr, nullptr, "a{sv}", 0) >= 0;
}

// A session that was never started cannot be stopped: the compositor ends it, and lets go of the
// clipboard it holds, when this connection leaves the bus.
GnomeShellPaster::~GnomeShellPaster() {
    for (sd_bus_slot* slot : slots_) sd_bus_slot_unref(slot);
}

void GnomeShellPaster::serveTransfers() {
    std::vector<std::pair<std::string, std::uint32_t>> asked;
    asked.swap(transfers_);
    for (const auto& [type, serial] : asked) {
        const std::string* bytes = nullptr;
        for (const auto& [offered, held] : held_)
            if (offered == type) bytes = &held;
        sd_bus_message* reply = nullptr;
        int fd = -1;
        bool written = false;
        if (bytes &&
            sd_bus_call_method(bus_.get(), kRemoteDesktop, session_.c_str(), kSession,
                               "SelectionWrite", nullptr, &reply, "u", serial) >= 0 &&
            sd_bus_message_read(reply, "h", &fd) >= 0) {
            pasting::writeAll(fd, *bytes,
                              kWriteTimeoutMs);  // the descriptor is the reply's, closed with it
            written = true;
        }
        sd_bus_message_unref(reply);
        sd_bus_call_method(bus_.get(), kRemoteDesktop, session_.c_str(), kSession,
                           "SelectionWriteDone", nullptr, nullptr, "ub", serial, written ? 1 : 0);
        if (written && heldIsPaste_) ++pastedReads_;
    }
}

int GnomeShellPaster::eventFd() const {
    return sd_bus_is_open(bus_.get()) > 0 ? sd_bus_get_fd(bus_.get()) : -1;
}

void GnomeShellPaster::dispatch() {
    while (sd_bus_process(bus_.get(), nullptr) > 0) {
    }
    serveTransfers();
}

void GnomeShellPaster::pump(int timeoutMs) {
    dispatch();
    sd_bus_wait(bus_.get(), static_cast<std::uint64_t>(timeoutMs) * 1000);
    dispatch();
}

bool GnomeShellPaster::readSelection(std::uint32_t selection, Contents* contents) {
    contents->clear();
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus_.get(), gnomeshell::kBusName, gnomeshell::kObjectPath,
                           gnomeshell::kInterface, "GetSelection", nullptr, &reply, "u",
                           selection) < 0)
        return false;
    gnomeshell::Message owned(reply);
    if (sd_bus_message_enter_container(reply, 'a', "(say)") < 0) return false;
    while (sd_bus_message_enter_container(reply, 'r', "say") > 0) {
        const char* type = nullptr;
        const void* bytes = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_read(reply, "s", &type) < 0 ||
            sd_bus_message_read_array(reply, 'y', &bytes, &size) < 0)
            return false;
        contents->emplace_back(type, std::string(static_cast<const char*>(bytes), size));
        sd_bus_message_exit_container(reply);
    }
    return true;
}

bool GnomeShellPaster::setPrimary(const Contents& contents) {
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus_.get(), &call, gnomeshell::kBusName,
                                       gnomeshell::kObjectPath, gnomeshell::kInterface,
                                       "SetSelection") < 0)
        return false;
    gnomeshell::Message owned(call);
    return sd_bus_message_append(call, "u", kPrimary) >= 0 && appendContents(call, contents) >= 0 &&
           sd_bus_call(bus_.get(), call, 0, nullptr, nullptr) >= 0;
}

// Nothing offered empties the clipboard.
bool GnomeShellPaster::setClipboard(Contents contents, bool pasted) {
    held_ = std::move(contents);
    heldIsPaste_ = pasted;
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus_.get(), &call, kRemoteDesktop, session_.c_str(),
                                       kSession, "SetSelection") < 0)
        return false;
    gnomeshell::Message owned(call);
    int r = sd_bus_message_open_container(call, 'a', "{sv}");
    if (r >= 0) r = sd_bus_message_open_container(call, 'e', "sv");
    if (r >= 0) r = sd_bus_message_append(call, "s", "mime-types");
    if (r >= 0) r = sd_bus_message_open_container(call, 'v', "as");
    if (r >= 0) r = sd_bus_message_open_container(call, 'a', "s");
    for (const auto& [type, bytes] : held_)
        if (r >= 0) r = sd_bus_message_append(call, "s", type.c_str());
    for (int i = 0; i < 4 && r >= 0; ++i) r = sd_bus_message_close_container(call);
    return r >= 0 && sd_bus_call(bus_.get(), call, 0, nullptr, nullptr) >= 0;
}

// The clipboard this session still holds is saved from what it holds: reading it through the
// shell would wait for this very connection to answer.
bool GnomeShellPaster::offer(const std::string& utf8) {
    if (pending_) restore();
    dispatch();
    Contents saved[2];
    if (sessionOwns_ && !heldIsPaste_)
        saved[kClipboard] = held_;
    else if (!readSelection(kClipboard, &saved[kClipboard]))
        return false;
    if (!readSelection(kPrimary, &saved[kPrimary])) return false;
    const Contents text = pasting::asText(utf8);
    if (!setClipboard(text, true) || !setPrimary({text.front()})) {
        setClipboard(saved[kClipboard], false);
        return false;
    }
    // Programs that read every new clipboard at once have done so by now; from here on a read
    // is the receiver's.
    dispatch();
    pastedReads_ = 0;
    saved_[kClipboard] = std::move(saved[kClipboard]);
    saved_[kPrimary] = std::move(saved[kPrimary]);
    pending_ = true;
    return true;
}

// A terminal pastes the primary selection, whose reads no one reports: it gets the whole bound.
void GnomeShellPaster::restore() {
    if (!pending_) return;
    pending_ = false;
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(kReadTimeoutMs);
    while (pastedReads_ == 0) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) break;
        pump(static_cast<int>(left));
    }
    for (int seen = -1;
         pastedReads_ > 0 && seen != pastedReads_ && steady_clock::now() < deadline;) {
        seen = pastedReads_;
        pump(kQuietMs);
    }
    setClipboard(std::move(saved_[kClipboard]), false);
    setPrimary(saved_[kPrimary]);
    dispatch();
}

}  // namespace ostrevin::platform
