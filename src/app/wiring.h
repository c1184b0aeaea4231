#pragma once
#include "core/program.h"

namespace kestrova {

// Connects every window event to its handler routine and fills the
// hand-offs that lower layers call upward through.
void WireHandlers(Program& p);

}  // namespace kestrova
