#include "macros/playback/window_search.h"

#include "common/text.h"

namespace keyloom {

namespace {
constexpr std::size_t kTitleChars = 249;
}

bool titlesMatch(const std::string& windowTitle, const std::string& target) {
    const auto normal = [](const std::string& s) {
        return ostrevin::upperAscii(ostrevin::trimControl(s));
    };
    return normal(ostrevin::cutToChars(windowTitle, kTitleChars)) == normal(target);
}

bool MatchWindowTitle(const ostrevin::platform::WindowInfo& window, WindowSearchState& state) {
    if (titlesMatch(window.title, state.TargetTitle)) {
        state.WindowFound = true;
        state.FoundWindow = window.id;
        return false;
    }
    state.WindowFound = false;
    return true;
}

}  // namespace keyloom
