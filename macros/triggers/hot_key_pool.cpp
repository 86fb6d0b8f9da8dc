#include "macros/triggers/hot_key_pool.h"

#include <cstdint>

#include "common/text.h"

namespace keyloom {

HotKeyPool::HotKeyPool(HotKeyRouter& router, MacroCatalogue& catalogue,
                       ostrevin::platform::MessagePump& pump,
                       std::function<void(int number)> processHotKey)
    : router_(router),
      catalogue_(catalogue),
      pump_(pump),
      processHotKey_(std::move(processHotKey)) {
    for (auto& slot : pool_) {
        slot = std::make_unique<TEPHotKey>(router_);
        slot->OnHotKey = [this](TEPHotKey& sender, std::uint8_t key, std::uint16_t shift) {
            EPHotKey0HotKey(sender, key, shift);
        };
    }
}

bool HotKeyPool::LoadHotKeys() {
    const int entries = catalogue_.entries();
    for (int n = 1; n <= kSlots; ++n) EPHotKey(n).setHotKey(0);
    if (entries < 1) return false;
    // One read of the file for all hundred keys; ascending order decides who owns a combination
    // that several macros share.
    const ostrevin::IniDocument doc = catalogue_.store().load();
    for (int n = 1; n <= kSlots; ++n) {
        const auto text = doc.value(MacroCatalogue::section(n), "HotKey");
        int value = text ? ostrevin::parseInteger(*text).value_or(0) : 0;
        if (value < 0 || value > 0xFFFF) value = 0;  // no 16-bit shortcut: names no key
        EPHotKey(n).setHotKey(static_cast<std::uint16_t>(value));
    }
    return true;
}

namespace {

// Clears the busy flag on every way out, a macro's error included, so later presses work.
class BusyScope {
  public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& busy_;
};

}  // namespace

// The macro's first keys must not meet a modifier or the hot key itself still held by the user:
// they would combine into other shortcuts, and while the hot key is down its grab takes every key
// the macro sends.
void HotKeyPool::waitForRelease(const TEPHotKey& sender) {
    auto& keys = router_.keys();
    const bool wakes = keys.watchReleases(true);
    pump_.processMessages();
    while (keys.keysHeld(sender.id())) {
        if (wakes)
            pump_.waitAndProcess();
        else
            pump_.processMessages();
    }
    keys.watchReleases(false);
}

void HotKeyPool::EPHotKey0HotKey(TEPHotKey& sender, std::uint8_t, std::uint16_t) {
    if (EditingMacro || HotKeyBusy) return;
    BusyScope busy(HotKeyBusy);
    waitForRelease(sender);
    for (int n = 1; n <= kSlots; ++n) {
        if (&EPHotKey(n) == &sender) {
            processHotKey_(n);
            return;
        }
    }
}

}  // namespace keyloom
