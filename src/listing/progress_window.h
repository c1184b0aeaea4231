#pragma once
// Interrupting long work from the progress window Form3.
#include "core/program.h"

namespace kestrova {

inline constexpr const char* kInterruptedMessage = "ケストロヴァ 中断中！！";

namespace form3 {

// A click on the window, its count label Label3 or its picture Image1.
void Form_Click(Program& p);
// A key in the window: Shift alone interrupts and cancels the quit after an
// automatic run; anything else does nothing.
void Form_KeyDown(Program& p, int key, int shift);

}  // namespace form3
}  // namespace kestrova
