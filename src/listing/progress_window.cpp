#include "progress_window.h"

namespace kestrova::form3 {

void Form_Click(Program& p) {
    p.Form3.Label1.SetCaption(kInterruptedMessage);
    p.state.AbortRequested = 1;
    p.state.Interrupted = 1;
}

void Form_KeyDown(Program& p, int /*key*/, int shift) {
    if (shift != kShiftMask) return;
    p.state.AbortRequested = 1;
    p.state.QuitAfterAutoRun = 0;
}

}  // namespace kestrova::form3
