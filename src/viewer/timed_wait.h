#pragma once
#include "app/program.h"

namespace kestrova {

// Waits WaitSeconds ticks of the main window's one-second timer; endless
// while paused (StopFlag 1), over at the first turn after EndRequested.
void TimedWait(Program& p);

}  // namespace kestrova
