#include "progress_window.h"

namespace kestrova {

void ProgressWindowClick(Program& p) {
    p.Form3.Label1.SetCaption(kInterruptedMessage);
    p.state.AbortRequested = 1;
    p.state.Interrupted = 1;
}

void ProgressWindowKey(Program& p, int /*key*/, int shift) {
    if (shift != kShiftMask) return;
    p.state.AbortRequested = 1;
    p.state.QuitAfterAutoRun = 0;
}

}  // namespace kestrova
