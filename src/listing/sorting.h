#pragma once
#include "core/program.h"

namespace kestrova {

// Sort key and order from the settings; sorting on or off.
void ApplySortSettings(Program& p, bool sorting_on);
// A header click: the order flips, the clicked column becomes the key. The
// settings keep their values.
void ListView1_ColumnClick(Program& p, int column_index1);

}  // namespace kestrova
