#include "platform/wayland/data_control_paster.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/wayland/selection_transfer.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace ostrevin::platform {

struct DataControlPaster::Offer {
    DataControlPaster* owner;
    zwlr_data_control_offer_v1* offer;
    std::vector<std::string> types;
};

struct DataControlPaster::Source {
    DataControlPaster* owner;
    zwlr_data_control_source_v1* source;
    int which;
    bool pasted;  // the text being pasted, not a restored selection
    Contents contents;
};

namespace {

constexpr std::uint32_t kPrimarySince = 2;

void noRemoval(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {&DataControlPaster::global, noRemoval};
const zwlr_data_control_device_v1_listener kDeviceListener = {
    &DataControlPaster::dataOffer, &DataControlPaster::selection, &DataControlPaster::finished,
    &DataControlPaster::primarySelection};
const zwlr_data_control_offer_v1_listener kOfferListener = {&DataControlPaster::offerType};
const zwlr_data_control_source_v1_listener kSourceListener = {&DataControlPaster::send,
                                                              &DataControlPaster::cancelled};

}  // namespace

std::unique_ptr<DataControlPaster> DataControlPaster::open() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return nullptr;
    std::unique_ptr<DataControlPaster> paster(new DataControlPaster(display));
    paster->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(paster->registry_, &kRegistryListener, paster.get());
    if (!paster->roundtrip() || !paster->manager_ || !paster->seat_) return nullptr;
    paster->device_ =
        zwlr_data_control_manager_v1_get_data_control(paster->manager_, paster->seat_);
    zwlr_data_control_device_v1_add_listener(paster->device_, &kDeviceListener, paster.get());
    if (!paster->roundtrip()) return nullptr;
    return paster;
}

DataControlPaster::DataControlPaster(wl_display* display) : display_(display) {}

DataControlPaster::~DataControlPaster() {
    for (auto& source : sources_) zwlr_data_control_source_v1_destroy(source->source);
    for (auto& offer : offers_) zwlr_data_control_offer_v1_destroy(offer->offer);
    if (device_) zwlr_data_control_device_v1_destroy(device_);
    if (manager_) zwlr_data_control_manager_v1_destroy(manager_);
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void DataControlPaster::global(void* data, wl_registry* registry, std::uint32_t name,
                               const char* interface, std::uint32_t version) {
    auto* self = static_cast<DataControlPaster*>(data);
    const std::string wanted = interface;
    if (wanted == wl_seat_interface.name && !self->seat_) {
        self->seat_ =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (wanted == zwlr_data_control_manager_v1_interface.name && !self->manager_) {
        self->managerVersion_ = std::min(version, kPrimarySince);
        self->manager_ = static_cast<zwlr_data_control_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_data_control_manager_v1_interface, self->managerVersion_));
    }
}

void DataControlPaster::dataOffer(void* data, zwlr_data_control_device_v1*,
                                  zwlr_data_control_offer_v1* offer) {
    auto* self = static_cast<DataControlPaster*>(data);
    self->offers_.push_back(std::make_unique<Offer>(Offer{self, offer, {}}));
    zwlr_data_control_offer_v1_add_listener(offer, &kOfferListener, self->offers_.back().get());
}

void DataControlPaster::offerType(void* data, zwlr_data_control_offer_v1*, const char* type) {
    static_cast<Offer*>(data)->types.emplace_back(type);
}

void DataControlPaster::selection(void* data, zwlr_data_control_device_v1*,
                                  zwlr_data_control_offer_v1* offer) {
    static_cast<DataControlPaster*>(data)->setCurrent(kClipboard, offer);
}

void DataControlPaster::primarySelection(void* data, zwlr_data_control_device_v1*,
                                         zwlr_data_control_offer_v1* offer) {
    static_cast<DataControlPaster*>(data)->setCurrent(kPrimary, offer);
}

void DataControlPaster::finished(void*, zwlr_data_control_device_v1*) {}

// An offer lasts until the next one for its selection.
void DataControlPaster::setCurrent(Which which, zwlr_data_control_offer_v1* offer) {
    zwlr_data_control_offer_v1* old = current_[which];
    current_[which] = offer;
    if (!old || old == offer || old == current_[1 - which]) return;
    const auto it = std::find_if(offers_.begin(), offers_.end(),
                                 [old](const auto& o) { return o->offer == old; });
    if (it != offers_.end()) offers_.erase(it);
    zwlr_data_control_offer_v1_destroy(old);
}

void DataControlPaster::send(void* data, zwlr_data_control_source_v1*, const char* type, int fd) {
    auto* source = static_cast<Source*>(data);
    for (const auto& [offered, bytes] : source->contents)
        if (offered == type) {
            pasting::writeAll(fd, bytes, kSaveTimeoutMs);
            break;
        }
    ::close(fd);
    if (source->pasted) ++source->owner->pastedSends_;
}

void DataControlPaster::cancelled(void* data, zwlr_data_control_source_v1* raw) {
    auto* self = static_cast<Source*>(data)->owner;
    zwlr_data_control_source_v1_destroy(raw);
    const auto it = std::find_if(self->sources_.begin(), self->sources_.end(),
                                 [raw](const auto& s) { return s->source == raw; });
    if (it != self->sources_.end()) self->sources_.erase(it);
}

bool DataControlPaster::roundtrip() {
    return wl_display_roundtrip(display_) >= 0;
}

int DataControlPaster::eventFd() const {
    return wl_display_get_error(display_) == 0 ? wl_display_get_fd(display_) : -1;
}

void DataControlPaster::dispatch() {
    while (wl_display_prepare_read(display_) != 0) wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
    if (pasting::ready(wl_display_get_fd(display_), POLLIN, 0))
        wl_display_read_events(display_);
    else
        wl_display_cancel_read(display_);
    wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
}

// A selection this program set and still holds is saved from what it holds: reading it through
// the compositor would wait for this very thread to answer.
bool DataControlPaster::save(Which which, Contents* saved) {
    saved->clear();
    for (const auto& source : sources_)
        if (source->which == which && !source->pasted) {
            *saved = source->contents;
            return true;
        }
    zwlr_data_control_offer_v1* offer = current_[which];
    if (!offer) return true;
    const auto it = std::find_if(offers_.begin(), offers_.end(),
                                 [offer](const auto& o) { return o->offer == offer; });
    if (it == offers_.end()) return false;
    for (const std::string& type : (*it)->types) {
        std::string bytes;
        if (!read(offer, type, &bytes)) return false;
        saved->emplace_back(type, std::move(bytes));
    }
    return true;
}

bool DataControlPaster::read(zwlr_data_control_offer_v1* offer, const std::string& type,
                             std::string* bytes) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    zwlr_data_control_offer_v1_receive(offer, type.c_str(), fds[1]);
    ::close(fds[1]);
    if (wl_display_flush(display_) < 0) {
        ::close(fds[0]);
        return false;
    }
    char chunk[65536];
    bool complete = false;
    while (pasting::ready(fds[0], POLLIN, kSaveTimeoutMs)) {
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            complete = n == 0;
            break;
        }
        bytes->append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    return complete;
}

// An empty selection saved is given back empty.
void DataControlPaster::set(Which which, Contents contents, bool pasted) {
    if (which == kPrimary && managerVersion_ < kPrimarySince) return;
    zwlr_data_control_source_v1* raw = nullptr;
    if (!contents.empty()) {
        raw = zwlr_data_control_manager_v1_create_data_source(manager_);
        sources_.push_back(
            std::make_unique<Source>(Source{this, raw, which, pasted, std::move(contents)}));
        zwlr_data_control_source_v1_add_listener(raw, &kSourceListener, sources_.back().get());
        for (const auto& [type, bytes] : sources_.back()->contents)
            zwlr_data_control_source_v1_offer(raw, type.c_str());
    }
    if (which == kClipboard)
        zwlr_data_control_device_v1_set_selection(device_, raw);
    else
        zwlr_data_control_device_v1_set_primary_selection(device_, raw);
}

bool DataControlPaster::offer(const std::string& utf8) {
    if (pending_) restore();
    if (!roundtrip()) return false;
    Contents saved[kSelections];
    for (Which which : {kClipboard, kPrimary})
        if (!save(which, &saved[which])) return false;
    const Contents text = pasting::asText(utf8);
    set(kClipboard, text, true);
    set(kPrimary, text, true);
    // Both are the compositor's before the paste key can reach the receiver; programs that read
    // every new selection at once have asked by then, and from here on a read is the receiver's.
    if (!roundtrip()) return false;
    pastedSends_ = 0;
    for (Which which : {kClipboard, kPrimary}) saved_[which] = std::move(saved[which]);
    pending_ = true;
    return true;
}

// The receiver asks for the text only once it has the key, and reads it while this waits.
void DataControlPaster::waitForReads() {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(kReadTimeoutMs);
    auto pump = [this](int timeoutMs) {
        wl_display_flush(display_);
        while (wl_display_prepare_read(display_) != 0) wl_display_dispatch_pending(display_);
        if (pasting::ready(wl_display_get_fd(display_), POLLIN, timeoutMs))
            wl_display_read_events(display_);
        else
            wl_display_cancel_read(display_);
        wl_display_dispatch_pending(display_);
    };
    while (pastedSends_ == 0) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return;
        pump(static_cast<int>(left));
    }
    for (int seen = -1; seen != pastedSends_ && steady_clock::now() < deadline;) {
        seen = pastedSends_;
        pump(kQuietMs);
    }
}

void DataControlPaster::restore() {
    if (!pending_) return;
    pending_ = false;
    waitForReads();
    for (Which which : {kClipboard, kPrimary}) set(which, std::move(saved_[which]), false);
    roundtrip();
}

}  // namespace ostrevin::platform
