#include "window_place.h"

#include <algorithm>
#include <cstdint>

namespace kestrova {
namespace {

std::int64_t Right(const Rect& r) { return std::int64_t{r.left} + r.width; }
std::int64_t Bottom(const Rect& r) { return std::int64_t{r.top} + r.height; }

// A title bar wider than the screen counts as on it when it spans the screen.
bool TitleBarOn(const Rect& window, const Rect& screen, int title_height) {
    const std::int64_t shown_width = std::min<std::int64_t>(window.width, screen.width);
    return window.left >= screen.left && window.left + shown_width <= Right(screen) && window.top >= screen.top &&
           std::int64_t{window.top} + title_height <= Bottom(screen);
}

std::int64_t Overlap(const Rect& a, const Rect& b) {
    const std::int64_t w = std::min(Right(a), Right(b)) - std::max(a.left, b.left);
    const std::int64_t h = std::min(Bottom(a), Bottom(b)) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

Rect KeepTitleBarOnScreen(Rect window, const std::vector<Rect>& screens, int title_height) {
    if (screens.empty()) return window;
    for (const Rect& screen : screens) {
        if (TitleBarOn(window, screen, title_height)) return window;
    }
    const Rect* best = &screens.front();
    for (const Rect& screen : screens) {
        if (Overlap(window, screen) > Overlap(window, *best)) best = &screen;
    }
    const std::int64_t last_left = std::max<std::int64_t>(best->left, Right(*best) - window.width);
    const std::int64_t last_top = std::max<std::int64_t>(best->top, Bottom(*best) - title_height);
    window.left = static_cast<int>(std::clamp<std::int64_t>(window.left, best->left, last_left));
    window.top = static_cast<int>(std::clamp<std::int64_t>(window.top, best->top, last_top));
    return window;
}

Rect RememberedViewWindowPlace(Program& p) {
    const SharedState& s = p.state;
    const Form& f = p.Form5;
    Rect place{ClampTwips(s.ViewWindowLeft), ClampTwips(s.ViewWindowTop), ClampTwips(s.ViewWindowWidth),
               ClampTwips(s.ViewWindowHeight)};
    if (place.width <= 0) place.width = f.Design().client_width + f.FrameWidth();
    if (place.height <= 0) place.height = f.Design().client_height + f.FrameHeight();
    return KeepTitleBarOnScreen(place, p.services.ScreenAreas(), f.FrameHeight());
}

}  // namespace kestrova
