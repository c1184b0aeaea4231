#pragma once
// Where the windowed viewer may reopen: a place remembered on a screen that
// is gone, or wrapped by an older settings file, must not hide the window.
#include <vector>

#include "core/program.h"
#include "platform/model/geometry.h"

namespace kestrova {

// The window as it is when its title bar (the top title_height twips) lies on
// one of the screens; otherwise moved, size unchanged, onto the screen it
// overlaps most (the first one when it overlaps none) until it does, as far
// as a window wider than the screen allows. Without any screen it is kept.
Rect KeepTitleBarOnScreen(Rect window, const std::vector<Rect>& screens, int title_height);

// Form5's remembered place as it can be shown on the screens there are now.
// A size of zero or less (an older file wrapped it) gives the design size.
Rect RememberedViewWindowPlace(Program& p);

}  // namespace kestrova
