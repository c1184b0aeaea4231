#pragma once
#include "core/program.h"

namespace kestrova {

// Waits WaitSeconds ticks of the main window's one-second timer; endless
// while paused (StopFlag 1), over at the first turn after EndRequested or
// after a request to show the current picture anew.
void TimedWait(Program& p);

}  // namespace kestrova
