#include "timed_wait.h"

namespace kestrova {

void TimedWait(Program& p) {
    SharedState& s = p.state;
    s.TickCount = 0;
    p.Form1.Timer1.SetEnabled(true);
    for (;;) {
        p.services.WaitTurn();
        if (IsOn(s.EndRequested)) break;
        if (IsOn(s.RedisplayRequested)) break;
        if (s.StopFlag == 1) continue;
        if (s.TickCount >= s.WaitSeconds) break;
    }
    p.Form1.Timer1.SetEnabled(false);
}

}  // namespace kestrova
