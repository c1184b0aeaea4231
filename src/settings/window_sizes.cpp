#include "window_sizes.h"

#include <algorithm>

namespace kestrova {
namespace {

// The smallest rectangle that holds every screen.
Rect AllScreens(const std::vector<Rect>& screens) {
    std::int64_t left = screens.front().left;
    std::int64_t top = screens.front().top;
    std::int64_t right = left;
    std::int64_t bottom = top;
    for (const Rect& screen : screens) {
        left = std::min<std::int64_t>(left, screen.left);
        top = std::min<std::int64_t>(top, screen.top);
        right = std::max<std::int64_t>(right, std::int64_t{screen.left} + screen.width);
        bottom = std::max<std::int64_t>(bottom, std::int64_t{screen.top} + screen.height);
    }
    return {static_cast<int>(left), static_cast<int>(top), ClampTwips(right - left), ClampTwips(bottom - top)};
}

}  // namespace

bool UsableWindowSize(std::int64_t width, std::int64_t height, const std::vector<Rect>& screens) {
    if (width < kSmallestUsableTwips || height < kSmallestUsableTwips) return false;
    if (screens.empty()) return width <= kMaxTwips && height <= kMaxTwips;
    const Rect all = AllScreens(screens);
    return width <= all.width && height <= all.height;
}

void KeepRememberedSizesUsable(SharedState& s, const std::vector<Rect>& screens) {
    SharedState defaults;
    ApplyDefaultSettings(defaults);
    if (!UsableWindowSize(s.MainWidth, s.MainHeight, screens)) {
        s.MainWidth = defaults.MainWidth;
        s.MainHeight = defaults.MainHeight;
        s.MainScaleWidth = defaults.MainScaleWidth;
        s.MainScaleHeight = defaults.MainScaleHeight;
    }
    if (!UsableWindowSize(s.ViewWindowWidth, s.ViewWindowHeight, screens)) {
        s.ViewWindowWidth = defaults.ViewWindowWidth;
        s.ViewWindowHeight = defaults.ViewWindowHeight;
    }
}

}  // namespace kestrova
