// The paster for compositors that let a program control the selections without the keyboard
// focus (KWin's data control): the user's clipboard and primary selection are read type by type,
// the text offered in their place, and what was read offered again once the paste was read.
// On Wayland a selection lives in the program that set it, so the restored ones are served from
// this connection for as long as the program runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/wayland/text_paster.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;
struct zwlr_data_control_source_v1;

namespace ostrevin::platform {

class DataControlPaster : public TextPaster {
  public:
    // How long a selection's owner may take to hand over one type while it is saved, and how
    // long the receiver may take to read the pasted text.
    static constexpr int kSaveTimeoutMs = 2000, kReadTimeoutMs = 2000;
    // Once the text has been read, further reads (a second type, a clipboard manager) are served
    // until none came for this long.
    static constexpr int kQuietMs = 50;

    using Contents = std::vector<std::pair<std::string, std::string>>;  // type, bytes
    // The parts of one offer or source.
    struct Offer;
    struct Source;

    // nullptr when the compositor offers no data control.
    static std::unique_ptr<DataControlPaster> open();
    ~DataControlPaster() override;

    bool offer(const std::string& utf8) override;
    void restore() override;
    int eventFd() const override;
    void dispatch() override;

    // Listeners.
    static void global(void* data, wl_registry*, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void dataOffer(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*);
    static void selection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*);
    static void primarySelection(void* data, zwlr_data_control_device_v1*,
                                 zwlr_data_control_offer_v1*);
    static void finished(void* data, zwlr_data_control_device_v1*);
    static void offerType(void* data, zwlr_data_control_offer_v1*, const char* type);
    static void send(void* data, zwlr_data_control_source_v1*, const char* type, int fd);
    static void cancelled(void* data, zwlr_data_control_source_v1*);

  private:
    enum Which { kClipboard = 0, kPrimary = 1, kSelections = 2 };
    explicit DataControlPaster(wl_display* display);
    bool roundtrip();
    void setCurrent(Which which, zwlr_data_control_offer_v1* offer);
    bool save(Which which, Contents* saved);
    bool read(zwlr_data_control_offer_v1* offer, const std::string& type, std::string* bytes);
    void set(Which which, Contents contents, bool pasted);
    void waitForReads();

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwlr_data_control_manager_v1* manager_ = nullptr;
    std::uint32_t managerVersion_ = 0;
    zwlr_data_control_device_v1* device_ = nullptr;
    std::vector<std::unique_ptr<Offer>> offers_;  // introduced and not yet replaced
    zwlr_data_control_offer_v1* current_[kSelections] = {};
    std::vector<std::unique_ptr<Source>> sources_;  // ours, until cancelled
    Contents saved_[kSelections];
    int pastedSends_ = 0;   // reads of the pasted text served so far
    bool pending_ = false;  // offered, not yet restored
};

}  // namespace ostrevin::platform
