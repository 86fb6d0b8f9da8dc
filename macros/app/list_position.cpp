#include "macros/app/list_position.h"

#include <algorithm>
#include <cmath>

#include "common/ini_document.h"

namespace keyloom {

namespace {
constexpr const char* kPosition = "Position";
// A Width of 10000 stands for "never saved".
constexpr int kMissingWidth = 10000;
}  // namespace

std::optional<WindowPlace> readListPosition(const ostrevin::IniStore& store, int screenHeight) {
    const int width = store.readInteger(kPosition, "Width", kMissingWidth);
    if (width == kMissingWidth) return std::nullopt;
    const double half = screenHeight / 2.0;
    WindowPlace place;
    place.width = width;
    place.height = store.readInteger(kPosition, "Height", 343);
    place.top = store.readInteger(kPosition, "Top", static_cast<int>(std::lround(half)));
    place.left = store.readInteger(kPosition, "Left", static_cast<int>(std::lround(half - 210)));
    return place;
}

void writeListPosition(ostrevin::IniStore& store, const WindowPlace& place) {
    store.update([&](ostrevin::IniDocument& doc) {
        doc.set(kPosition, "Width", std::to_string(place.width));
        doc.set(kPosition, "Height", std::to_string(place.height));
        doc.set(kPosition, "Top", std::to_string(place.top));
        doc.set(kPosition, "Left", std::to_string(place.left));
    });
}

WindowPlace fitOnScreen(WindowPlace place, int screenLeft, int screenTop, int screenWidth,
                        int screenHeight) {
    place.width = std::clamp(place.width, 1, std::max(1, screenWidth));
    place.height = std::clamp(place.height, 1, std::max(1, screenHeight));
    place.left = std::clamp(place.left, screenLeft, screenLeft + screenWidth - place.width);
    place.top = std::clamp(place.top, screenTop, screenTop + screenHeight - place.height);
    return place;
}

}  // namespace keyloom
