#pragma once
#include "core/program.h"

namespace kestrova {

// Empties the list's image list and seeds it with the four pictures every
// list starts with; attaches it to the list when icons are shown.
void PrepareIconList(Program& p);

}  // namespace kestrova
