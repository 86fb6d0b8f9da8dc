#include "macros/triggers/trigger_poll.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace keyloom {

TriggerPoll::TriggerPoll(TriggerPollServices services)
    : services_(std::move(services)),
      timer_(services_.Timer1),
      triggers_(services_.catalogue.store(), services_.files) {}

void TriggerPoll::Start() {
    timer_.setOnTick([this] { Timer1Timer(); });
    timer_.setInterval(services_.catalogue.searchInterval());
    timer_.setEnabled(true);
}

const TriggerPoll::Desktop& TriggerPoll::desktop() {
    if (!desktop_) {
        desktop_.emplace();
        desktop_->windows = services_.windows.enumerateWindows();
        pumpDue_ = true;
        for (std::size_t i = 0; i < desktop_->windows.size(); ++i)
            desktop_->firstByKey.try_emplace(windowTitleKey(desktop_->windows[i].title), i);
    }
    return *desktop_;
}

// Records the window (merged with what the file holds now, so a write of another copy is kept)
// and reports whether it was new.
bool TriggerPoll::fire(const WindowTrigger& trigger, const ostrevin::platform::WindowInfo& window) {
    bool added = false;
    services_.catalogue.store().update([&](ostrevin::IniDocument& doc) {
        const std::string section = MacroCatalogue::section(trigger.number);
        const std::string list = doc.value(section, "FoundHandle").value_or("");
        if (foundHandleHas(list, window.id)) return;
        const std::string id = std::to_string(window.id);
        doc.set(section, "FoundHandle", list.empty() ? id : list + "," + id);
        added = true;
    });
    return added;
}

bool TriggerPoll::forgetGoneWindows(const std::vector<WindowTrigger>& triggers) {
    std::set<ostrevin::platform::WindowId> listed, gone;
    bool looked = false;
    auto isGone = [&](ostrevin::platform::WindowId id) {
        if (!looked) {
            for (const auto& w : desktop().windows) listed.insert(w.id);
            looked = true;
        }
        if (listed.count(id) || gone.count(id)) return gone.count(id) > 0;
        if (services_.windows.windowExists(id)) {
            listed.insert(id);  // withdrawn, not gone: it keeps its place
            return false;
        }
        gone.insert(id);
        return true;
    };
    for (const WindowTrigger& trigger : triggers)
        if (!trigger.foundHandle.empty())
            for (const std::uint64_t id : foundHandleWindows(trigger.foundHandle)) isGone(id);
    std::erase_if(unrecorded_, [&](const auto& tried) { return isGone(tried.second); });
    if (gone.empty()) return false;
    try {
        services_.catalogue.store().update([&](ostrevin::IniDocument& doc) {
            for (const WindowTrigger& trigger : triggers) {
                const std::string section = MacroCatalogue::section(trigger.number);
                const std::string list = doc.value(section, "FoundHandle").value_or("");
                const std::string kept = foundHandleWithout(list, gone);
                if (kept != list) doc.set(section, "FoundHandle", kept);
            }
        });
        return true;
    } catch (const ostrevin::IniWriteError&) {
        // Only tidying: the next tick tries again, and a write that matters reports the error.
        return false;
    }
}

void TriggerPoll::Timer1Timer() {
    desktop_.reset();
    const std::vector<WindowTrigger>* current = &triggers_.refresh();
    if (forgetGoneWindows(*current)) current = &triggers_.refresh();
    // The list is copied: a macro run from here may change the catalogue under it.
    const std::vector<WindowTrigger> triggers = *current;
    for (const WindowTrigger& trigger : triggers) {
        search_.TargetTitle = trigger.title;
        search_.WindowFound = false;
        ostrevin::platform::WindowInfo window;
        {
            const Desktop& now = desktop();
            const auto match = now.firstByKey.find(trigger.matchKey);
            if (match != now.firstByKey.end()) {
                window = now.windows[match->second];
                search_.WindowFound = true;
                search_.FoundWindow = window.id;
            }
        }
        const bool found = search_.WindowFound;
        // Events are let through once a search of the desktop, not once a trigger: a search here
        // serves every trigger, and pumping a hundred times a tick would cost more than the tick.
        // A tick nested in this pump takes its own enumeration; nothing here points into it.
        if (std::exchange(pumpDue_, false)) services_.pump.processMessages();
        if (!found) continue;
        if (foundHandleHas(trigger.foundHandle, window.id) || !window.visible) continue;
        const std::pair tried{trigger.number, window.id};
        if (unrecorded_.count(tried)) continue;
        unrecorded_.insert(tried);  // stays only when the write throws
        const bool added = fire(trigger, window);
        unrecorded_.erase(tried);
        if (!added) continue;
        desktop_.reset();
        services_.processHotKey(trigger.number);
    }
    search_.TargetTitle.clear();
    search_.WindowFound = false;
}

}  // namespace keyloom
