#pragma once
#include "core/program.h"

namespace kestrova {

// Loads both viewer windows hidden, ready for a slideshow.
void PrepareViewerWindows(Program& p);

}  // namespace kestrova
