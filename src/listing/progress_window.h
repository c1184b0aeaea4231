#pragma once
// Interrupting long work from the progress window.
#include "core/program.h"

namespace kestrova {

inline constexpr const char* kInterruptedMessage = "ケストロヴァ 中断中！！";

// A click on the window, its count label or its picture.
void ProgressWindowClick(Program& p);
// A key in the window: Shift alone interrupts and cancels the quit after an
// automatic run; anything else does nothing.
void ProgressWindowKey(Program& p, int key, int shift);

}  // namespace kestrova
