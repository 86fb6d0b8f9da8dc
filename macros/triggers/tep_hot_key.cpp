#include "macros/triggers/tep_hot_key.h"

#include <exception>

namespace keyloom {

namespace platform = ostrevin::platform;

HotKeyRouter::HotKeyRouter(platform::HotKeys& keys) : keys_(keys) {
    keys_.setHandler([this](int id) { pressed(id); });
}

HotKeyRouter::~HotKeyRouter() {
    keys_.setHandler(nullptr);
}

int HotKeyRouter::add(TEPHotKey* hotKey) {
    const int id = nextId_++;
    objects_[id] = hotKey;
    return id;
}

void HotKeyRouter::remove(int id) {
    objects_.erase(id);
}

void HotKeyRouter::pressed(int id) {
    auto it = objects_.find(id);
    if (it == objects_.end()) return;
    TEPHotKey& hotKey = *it->second;
    if (!hotKey.Global && !(applicationActive && applicationActive())) return;
    try {
        hotKey.deliver();
    } catch (const std::exception& e) {
        if (showError) showError(e.what());
    }
}

unsigned platformModifiers(std::uint16_t hotKey) {
    unsigned modifiers = 0;
    if (hotKey & TEPHotKey::kAlt) modifiers |= platform::kModAlt;
    if (hotKey & TEPHotKey::kCtrl) modifiers |= platform::kModControl;
    if (hotKey & TEPHotKey::kShift) modifiers |= platform::kModShift;
    return modifiers;
}

TEPHotKey::TEPHotKey(HotKeyRouter& router) : router_(router), id_(router.add(this)) {}

TEPHotKey::~TEPHotKey() {
    release();
    router_.remove(id_);
}

void TEPHotKey::grab() {
    registered_ = hotKey_ != 0 &&
                  router_.keys().registerHotKey(id_, platformModifiers(hotKey_), hotKey_ & 0xFF);
}

void TEPHotKey::release() {
    // Also when the grab was refused: the platform may still try it again on a new layout.
    if (registered_ || hotKey_ != 0) router_.keys().unregisterHotKey(id_);
    registered_ = false;
}

// The old key is let go before a new one is taken: a slot that kept its previous grab would go
// on answering a combination it no longer shows.
void TEPHotKey::setHotKey(std::uint16_t value) {
    if (value == hotKey_) return;
    release();
    hotKey_ = value;
    if (enabled_) grab();
}

void TEPHotKey::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_)
        grab();
    else
        release();
}

void TEPHotKey::deliver() {
    if (OnHotKey) OnHotKey(*this, hotKey_ & 0xFF, hotKey_ & (kShift | kCtrl | kAlt));
}

}  // namespace keyloom
