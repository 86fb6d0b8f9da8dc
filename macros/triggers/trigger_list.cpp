#include "macros/triggers/trigger_list.h"

#include <algorithm>
#include <charconv>

#include "common/text.h"
#include "macros/catalogue/macro_catalogue.h"

namespace keyloom {

namespace {
constexpr std::size_t kTitleChars = 249;
}

std::string triggerKey(const std::string& trigger) {
    return ostrevin::upperAscii(ostrevin::trimControl(trigger));
}

std::string windowTitleKey(const std::string& title) {
    return triggerKey(ostrevin::cutToChars(title, kTitleChars));
}

namespace {

// The window an element names, or nothing for an element that is not a decimal integer.
std::optional<unsigned long long> foundHandleElement(std::string_view element) {
    unsigned long long value = 0;
    const auto [end, error] =
        std::from_chars(element.data(), element.data() + element.size(), value);
    if (element.empty() || error != std::errc{} || end != element.data() + element.size())
        return std::nullopt;
    return value;
}

template <typename Visit>
void forEachElement(const std::string& list, Visit visit) {
    std::string_view rest = list;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        if (!visit(rest.substr(0, comma))) return;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
}
}  // namespace

bool foundHandleHas(const std::string& list, unsigned long long window) {
    bool has = false;
    forEachElement(list, [&](std::string_view element) {
        has = foundHandleElement(element) == window;
        return !has;
    });
    return has;
}

std::vector<std::uint64_t> foundHandleWindows(const std::string& list) {
    std::vector<std::uint64_t> windows;
    forEachElement(list, [&](std::string_view element) {
        if (const auto window = foundHandleElement(element)) windows.push_back(*window);
        return true;
    });
    return windows;
}

std::string foundHandleWithout(const std::string& list, const std::set<std::uint64_t>& windows) {
    std::string kept;
    bool first = true;
    forEachElement(list, [&](std::string_view element) {
        const auto window = foundHandleElement(element);
        if (!window || !windows.count(*window)) {
            if (!first) kept += ',';
            kept += element;
            first = false;
        }
        return true;
    });
    return kept;
}

TriggerList::TriggerList(const ostrevin::IniStore& store, ostrevin::platform::FileSystem& files)
    : store_(store), files_(files) {}

const std::vector<WindowTrigger>& TriggerList::refresh() {
    std::string text = files_.readFile(store_.path()).value_or("");
    if (!loaded_ || text != bytes_) {
        parse(text);
        bytes_ = std::move(text);
        loaded_ = true;
    }
    return triggers_;
}

void TriggerList::parse(const std::string& text) {
    triggers_.clear();
    const ostrevin::IniDocument doc = ostrevin::IniDocument::parse(text);
    const auto entriesText = doc.value("Main", "Entries");
    const int entries =
        std::clamp(entriesText ? ostrevin::parseInteger(*entriesText).value_or(0) : 0, 0,
                   MacroCatalogue::kMaxEntries);
    for (int n = 1; n <= entries; ++n) {
        const std::string section = MacroCatalogue::section(n);
        std::string title = doc.value(section, "Trigger").value_or("");
        if (title.empty()) continue;
        WindowTrigger trigger;
        trigger.number = n;
        trigger.matchKey = triggerKey(title);
        trigger.title = std::move(title);
        trigger.foundHandle = doc.value(section, "FoundHandle").value_or("");
        triggers_.push_back(std::move(trigger));
    }
}

}  // namespace keyloom
