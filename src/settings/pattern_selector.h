#pragma once
// The main window's pattern selector and the pattern list behind it, kept
// most recently used first.
#include "core/program.h"

namespace kestrova {

void FillPatternSelector(Program& p);
void PromoteSelectedPattern(Program& p);
void Combo1_LostFocus(Program& p);
void Dir1_Change(Program& p);
void Combo1_KeyDown(Program& p, int key, int shift);

}  // namespace kestrova
