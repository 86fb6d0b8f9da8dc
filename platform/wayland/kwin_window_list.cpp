#include "platform/wayland/kwin_window_list.h"

namespace ostrevin::platform {

namespace {

bool plausibleId(std::string_view id) {
    if (id.empty() || id.size() > 64) return false;
    for (char c : id) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex && c != '-' && c != '{' && c != '}') return false;
    }
    return true;
}

std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    return out;
}

}  // namespace

void KWinWindowList::apply(std::string_view report) {
    std::vector<WindowInfo> windows;
    std::map<std::string, WindowId> ids;
    WindowId active = 0;
    while (!report.empty()) {
        const std::size_t end = report.find('\n');
        std::string_view line = report.substr(0, end);
        report = end == std::string_view::npos ? std::string_view() : report.substr(end + 1);
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) continue;
        const std::string id(line.substr(0, tab1));
        const std::string_view flags = line.substr(tab1 + 1, tab2 - tab1 - 1);
        if (!plausibleId(id) || ids.count(id)) continue;
        const auto known = ids_.find(id);
        const WindowId number = known != ids_.end() ? known->second : nextId_++;
        ids.emplace(id, number);
        windows.push_back(
            {number, unescape(line.substr(tab2 + 1)), flags.find('v') != std::string_view::npos});
        if (flags.find('a') != std::string_view::npos) active = number;
    }
    windows_ = std::move(windows);
    ids_ = std::move(ids);
    active_ = active;
}

std::string KWinWindowList::managerId(WindowId window) const {
    for (const auto& [id, number] : ids_)
        if (number == window) return id;
    return {};
}

}  // namespace ostrevin::platform
