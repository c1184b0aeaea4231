#pragma once
// Remembered window sizes that no window can be used at, as a damaged or
// hand-edited settings file gives them: a window of no size or a sliver
// cannot even be grabbed, and one larger than every screen together puts
// its title bar out of reach. Such a size gives way to the default.
#include <vector>

#include "core/shared_state.h"
#include "platform/model/geometry.h"

namespace kestrova {

// The least width and height a window is usable at: an inch.
inline constexpr int kSmallestUsableTwips = 1440;

// True for an outer size (twips) that fits the screens (desktop twips)
// and is not too small; without any screen known, any size not too small.
bool UsableWindowSize(std::int64_t width, std::int64_t height, const std::vector<Rect>& screens);

// At the start, after the settings file is read: the main window's four
// sizes, or the windowed viewer's width and height, take their defaults
// when the size they give is not usable. The windows then open at that
// size, and the close writes what the windows really are.
void KeepRememberedSizesUsable(SharedState& state, const std::vector<Rect>& screens);

}  // namespace kestrova
